// Where malloc and friends cannot be replaced by the executable (Windows,
// sanitizers that own them already) nothing is counted.
#include "AudioThreadWatch.h"

namespace validator {

bool AudioThreadWatchAvailable() { return false; }
void StartAudioThreadWatch() {}
AudioThreadCounts StopAudioThreadWatch() { return {}; }

}  // namespace validator
