#include "dsp/SharedPitchTables.h"

#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace dsp {

namespace {

struct SharedSet {
  std::unique_ptr<PitchTables> tables;
  int users = 0;
};

struct Registry {
  std::mutex lock;  // resets of instances on different threads may meet here
  std::vector<SharedSet> sets;
};

// Lives as long as the module: hosts free every instance before they unload
// the plug-in, and a registry left on the heap would leak at each unload.
Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

const PitchTables* AcquirePitchTables(double sampleRate) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  for (SharedSet& set : registry.sets) {
    if (set.tables->sampleRate == sampleRate) {
      ++set.users;
      return set.tables.get();
    }
  }
  try {
    SharedSet set;
    set.tables = std::make_unique<PitchTables>();
    BuildPitchTables(*set.tables, sampleRate);
    set.users = 1;
    registry.sets.push_back(std::move(set));
    return registry.sets.back().tables.get();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void ReleasePitchTables(const PitchTables* tables) {
  if (tables == nullptr) return;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  for (auto it = registry.sets.begin(); it != registry.sets.end(); ++it) {
    if (it->tables.get() != tables) continue;
    if (--it->users == 0) registry.sets.erase(it);
    return;
  }
}

int LivePitchTableSets() {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  return static_cast<int>(registry.sets.size());
}

}  // namespace dsp
