// The owner of the process-wide sample-rate tables. Every instance running
// at one rate reads the same set; a set is built when the first instance
// asks for its rate and freed when the last one lets go. A set never changes
// while it is in use, so instances at different rates, or one created while
// others play, never retune one another.
#pragma once

#include "dsp/PitchTables.h"

namespace dsp {

// The set for `sampleRate`, built if no instance uses that rate yet; nullptr
// when there is no memory for it. Not for the audio path: it may allocate and
// takes the tables' own lock.
const PitchTables* AcquirePitchTables(double sampleRate);

// Hands back a set from AcquirePitchTables; nullptr is ignored.
void ReleasePitchTables(const PitchTables* tables);

// How many sets are alive, for tests.
int LivePitchTableSets();

}  // namespace dsp
