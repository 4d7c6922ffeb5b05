// The names the configuration tests use for an instance ready to play.
#pragma once

#include "tests/vst2/TestHost.h"

namespace recordinghost {

using testhost::Record;
using Instance = testhost::PlayingInstance;

}  // namespace recordinghost
