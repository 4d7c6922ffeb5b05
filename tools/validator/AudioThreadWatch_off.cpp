// Where malloc and friends cannot be replaced by the executable (Windows,
// sanitizers that own them already) nothing is counted or guarded.
#include "AudioThreadWatch.h"
#include "CallerName.h"

namespace validator {

bool AudioThreadWatchAvailable() { return false; }
void StartAudioThreadWatch() {}
AudioThreadCounts StopAudioThreadWatch() { return {}; }
std::string CallerName(const void*) { return "?"; }
bool GuardPagesAvailable() { return false; }
void SetGuardPages(bool) {}

}  // namespace validator
