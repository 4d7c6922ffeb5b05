#include <mutex>
#include <string>
#include <vector>

#include "graphics/RasterResource.h"

namespace graphics {

namespace {

// Linux modules carry no resource section: whatever embeds the resources
// registers them here once, and lookups ignore the module handle.
struct Entry {
  int id;
  std::string type;
  RasterResourceBytes bytes;
};

std::mutex tableLock;
std::vector<Entry>& Table() {
  static std::vector<Entry> table;
  return table;
}

}  // namespace

void RegisterModuleResource(int id, const char* type, const void* data, std::size_t size) {
  if (!type || !data) return;
  std::lock_guard<std::mutex> hold(tableLock);
  for (Entry& entry : Table()) {
    if (entry.id == id && entry.type == type) {
      entry.bytes = {data, size};
      return;
    }
  }
  Table().push_back({id, type, {data, size}});
}

bool FindModuleResource(void*, int id, const char* type, RasterResourceBytes* bytes) {
  if (!type || !bytes) return false;
  std::lock_guard<std::mutex> hold(tableLock);
  for (const Entry& entry : Table()) {
    if (entry.id == id && entry.type == type) {
      *bytes = entry.bytes;
      return true;
    }
  }
  return false;
}

}  // namespace graphics
