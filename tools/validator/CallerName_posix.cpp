// Names a code address by the loaded file it lies in (dladdr), apart from
// the interposed calls, which may not include the C library's headers.
#include <dlfcn.h>

#include <cstdio>

#include "CallerName.h"

namespace validator {

std::string CallerName(const void* address) {
  Dl_info info = {};
  if (!address || !dladdr(address, &info) || !info.dli_fname) return "an unknown address";
  char text[512];
  const char* file = info.dli_fname;
  for (const char* c = file; *c; ++c)
    if (*c == '/') file = c + 1;
  const auto offset = static_cast<const char*>(address) - static_cast<const char*>(info.dli_fbase);
  std::snprintf(text, sizeof text, "%s+0x%lx", file, static_cast<unsigned long>(offset));
  std::string name = text;
  if (info.dli_sname) name += std::string(" (in ") + info.dli_sname + ")";
  return name;
}

}  // namespace validator
