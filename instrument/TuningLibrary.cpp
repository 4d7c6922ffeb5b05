#include "instrument/TuningLibrary.h"

#include <mutex>

#include "platform/TuningLibraryPath.h"

namespace {

TuningLibrary mtsclientglobal;
std::once_flag loaded;

template <typename Function>
void Resolve(const platform::DynamicLibrary& library, const char* name, Function& entry) {
  entry = reinterpret_cast<Function>(platform::FindSymbol(library, name));
}

}  // namespace

bool LoadTuningLibrary(TuningLibrary& record, const std::string& path) {
  ReleaseTuningLibrary(record);
  if (path.empty()) return false;
  record.library = platform::OpenLibrary(path);
  if (!record.library.handle) return false;
  const platform::DynamicLibrary& library = record.library;
  Resolve(library, "MTS_RegisterClient", record.registerClient);
  Resolve(library, "MTS_DeregisterClient", record.deregisterClient);
  Resolve(library, "MTS_HasMaster", record.hasMaster);
  Resolve(library, "MTS_ShouldFilterNote", record.shouldFilterNote);
  Resolve(library, "MTS_GetTuningTable", record.getTuningTable);
  Resolve(library, "MTS_GetMultiChannelTuningTable", record.getMultiChannelTuningTable);
  if (record.getTuningTable) record.tuningTable = record.getTuningTable();
  for (int channel = 0; channel < kTuningChannels; ++channel) {
    record.channelTables[channel] =
        record.getMultiChannelTuningTable ? record.getMultiChannelTuningTable(char(channel)) : nullptr;
  }
  return true;
}

void ReleaseTuningLibrary(TuningLibrary& record) {
  record.registerClient = nullptr;
  record.deregisterClient = nullptr;
  record.hasMaster = nullptr;
  record.shouldFilterNote = nullptr;
  record.getTuningTable = nullptr;
  record.getMultiChannelTuningTable = nullptr;
  record.tuningTable = nullptr;
  for (const double*& table : record.channelTables) table = nullptr;
  platform::CloseLibrary(record.library);
}

const TuningLibrary& SharedTuningLibrary() {
  std::call_once(loaded, [] { LoadTuningLibrary(mtsclientglobal, platform::DefaultTuningLibraryPath()); });
  return mtsclientglobal;
}

bool UseTuningLibraryAt(const std::string& path) {
  std::call_once(loaded, [] {});
  return LoadTuningLibrary(mtsclientglobal, path);
}
