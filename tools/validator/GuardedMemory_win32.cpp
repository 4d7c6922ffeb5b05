// Each guarded block is a VirtualAlloc region of its own, its last page
// made inaccessible; the region's base is found again from the block.
#include <windows.h>

#include "GuardedMemory.h"

namespace validator {

namespace {
constexpr std::size_t kAlignment = 16;
}

void* GuardedAllocate(std::size_t size) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const std::size_t page = system.dwPageSize;
  const std::size_t rounded = size == 0 ? kAlignment : (size + kAlignment - 1) / kAlignment * kAlignment;
  const std::size_t pages = (rounded + page - 1) / page;
  char* start = static_cast<char*>(VirtualAlloc(nullptr, (pages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (!start) return nullptr;
  DWORD old = 0;
  VirtualProtect(start + pages * page, page, PAGE_NOACCESS, &old);
  return start + pages * page - rounded;
}

bool GuardedRelease(void* block) {
  MEMORY_BASIC_INFORMATION region;
  if (!block || !VirtualQuery(block, &region, sizeof region) || region.Type != MEM_PRIVATE) return false;
  return VirtualFree(region.AllocationBase, 0, MEM_RELEASE) != 0;
}

bool FindGuarded(const void*, std::size_t*) { return false; }

}  // namespace validator
