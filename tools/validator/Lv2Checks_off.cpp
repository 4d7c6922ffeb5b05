// Where LV2 is not built (Windows): no path is an LV2 bundle, so none of
// its checks is ever chosen.
#include "Validator.h"

namespace validator {

bool IsLv2Plugin(const std::string& /*path*/) { return false; }
bool InLv2HostCallback() { return false; }
void CheckLv2Load(const Options& /*options*/, Report& /*report*/) {}
void CheckLv2Lifecycle(const Options& /*options*/, Report& /*report*/) {}
void CheckLv2Processing(const Options& /*options*/, Report& /*report*/) {}
void CheckLv2AudioThread(const Options& /*options*/, Report& /*report*/) {}
void CheckLv2Parameters(const Options& /*options*/, Report& /*report*/) {}
void CheckLv2State(const Options& /*options*/, Report& /*report*/) {}
void CheckLv2Editor(const Options& /*options*/, Report& /*report*/) {}

}  // namespace validator
