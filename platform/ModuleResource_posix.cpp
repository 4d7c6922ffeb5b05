#include "platform/ModuleResource.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

namespace {

struct Entry {
  std::string name, type;
  ResourceBytes bytes;
};

std::mutex& TableLock() {
  static std::mutex lock;
  return lock;
}

// Filled by static initialisers of the compiled-in resources, so it must
// exist before any of them runs.
std::vector<Entry>& Table() {
  static std::vector<Entry> table;
  return table;
}

}  // namespace

bool FindModuleResource(const char* name, const char* type, ResourceBytes* bytes, void*) {
  if (!name || !type || !bytes) return false;
  std::lock_guard<std::mutex> hold(TableLock());
  for (const Entry& entry : Table()) {
    if (entry.name == name && entry.type == type) {
      *bytes = entry.bytes;
      return true;
    }
  }
  return false;
}

void RegisterModuleResource(const char* name, const char* type, const void* data, std::size_t size) {
  if (!name || !type || !data) return;
  std::lock_guard<std::mutex> hold(TableLock());
  for (Entry& entry : Table()) {
    if (entry.name == name && entry.type == type) {
      entry.bytes = {data, size};
      return;
    }
  }
  Table().push_back({name, type, {data, size}});
}

}  // namespace platform
