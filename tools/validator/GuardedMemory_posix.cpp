// Each guarded block is a mapping of its own, one inaccessible page after
// it; a small table, searched only while guarded blocks live, tells free
// which pointers are these.
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>

#include "GuardedMemory.h"

namespace validator {

namespace {

struct GuardedBlock {
  void* block;
  void* start;
  std::size_t mapped;
  std::size_t size;
};

// A plug-in makes a few hundred blocks while it starts; the kernel allows
// some 65000 mappings a process.
constexpr int kMaxBlocks = 4096;
constexpr std::size_t kAlignment = 16;

GuardedBlock gBlocks[kMaxBlocks];
int gCount = 0;
std::atomic<int> gLive{0};
std::atomic_flag gTableBusy = ATOMIC_FLAG_INIT;

// The table is touched by free on any thread; none holds it for long.
struct TableLock {
  TableLock() {
    while (gTableBusy.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~TableLock() { gTableBusy.clear(std::memory_order_release); }
};

int Find(const void* block) {
  for (int i = 0; i < gCount; ++i)
    if (gBlocks[i].block == block) return i;
  return -1;
}

}  // namespace

void* GuardedAllocate(std::size_t size) {
  static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t rounded = size == 0 ? kAlignment : (size + kAlignment - 1) / kAlignment * kAlignment;
  const std::size_t pages = (rounded + page - 1) / page;
  const std::size_t mapped = (pages + 1) * page;
  TableLock lock;
  if (gCount == kMaxBlocks) return nullptr;
  void* start = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (start == MAP_FAILED) return nullptr;
  char* guard = static_cast<char*>(start) + pages * page;
  mprotect(guard, page, PROT_NONE);
  void* block = guard - rounded;
  gBlocks[gCount++] = {block, start, mapped, size};
  gLive.fetch_add(1, std::memory_order_relaxed);
  return block;
}

bool FindGuarded(const void* block, std::size_t* size) {
  if (gLive.load(std::memory_order_relaxed) == 0) return false;
  TableLock lock;
  int index = Find(block);
  if (index >= 0) *size = gBlocks[index].size;
  return index >= 0;
}

bool GuardedRelease(void* block) {
  if (gLive.load(std::memory_order_relaxed) == 0) return false;
  TableLock lock;
  int index = Find(block);
  if (index < 0) return false;
  munmap(gBlocks[index].start, gBlocks[index].mapped);
  gBlocks[index] = gBlocks[--gCount];
  gLive.fetch_sub(1, std::memory_order_relaxed);
  return true;
}

}  // namespace validator
