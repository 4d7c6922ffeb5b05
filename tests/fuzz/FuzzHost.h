// Rendering for the fuzz targets that drive an instance through its effect
// record; testhost::Snapshot is the state a refused load must leave as it was.
#pragma once

#include <cmath>
#include <string>

#include "tests/fuzz/FuzzCheck.h"
#include "tests/vst2/TestHost.h"

namespace fuzzhost {

// Renders a few blocks holding a note; false when any sample is not finite.
inline bool RendersFinite(testhost::Instance& instance) {
  constexpr int kFrames = 256;
  static float left[kFrames], right[kFrames], silence[kFrames];
  float* inputs[2] = {silence, silence};
  float* outputs[2] = {left, right};
  instance.Call(vst::effMainsChanged, 0, 1);
  instance.Midi(0x90, 60, 100);
  bool finite = true;
  for (int block = 0; block < 4; ++block) {
    if (block == 2) instance.Midi(0x80, 60, 0);
    instance.effect->processReplacing(instance.effect, inputs, outputs, kFrames);
    for (int i = 0; i < kFrames; ++i) finite = finite && std::isfinite(left[i]) && std::isfinite(right[i]);
  }
  instance.Call(vst::effMainsChanged, 0, 0);
  return finite;
}

}  // namespace fuzzhost
