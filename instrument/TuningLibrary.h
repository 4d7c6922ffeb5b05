// The process-wide record of the optional microtuning library: its entry
// points and the tables it hands out once. Every instance's tuning client
// reads it; it is filled before the first instance exists and is read-only
// afterwards.
#pragma once

#include <string>

#include "platform/DynamicLibrary.h"

constexpr int kTuningChannels = 16;

// Only what the client calls is resolved: the library's other functions
// (the multi-channel filter and switch, the scale name) have no caller.
struct TuningLibrary {
  void (*registerClient)() = nullptr;
  void (*deregisterClient)() = nullptr;
  bool (*hasMaster)() = nullptr;
  bool (*shouldFilterNote)(char note, char channel) = nullptr;
  const double* (*getTuningTable)() = nullptr;
  const double* (*getMultiChannelTuningTable)(char channel) = nullptr;

  // The master's frequencies in Hz per MIDI note, always current.
  const double* tuningTable = nullptr;
  const double* channelTables[kTuningChannels] = {};
  platform::DynamicLibrary library;

  TuningLibrary() = default;
  TuningLibrary(const TuningLibrary&) = delete;
  TuningLibrary& operator=(const TuningLibrary&) = delete;
};

// The process's record, with the library from its platform place loaded the
// first time it is asked for. Loading waits for the first instance instead
// of the module's load, and the library stays until the process ends: the
// system loader makes loading or releasing libraries unsafe from there.
const TuningLibrary& SharedTuningLibrary();

// Fills `record` from the library at `path`: entry points found by name
// (a missing one stays null), then the tables. False when it cannot be loaded.
bool LoadTuningLibrary(TuningLibrary& record, const std::string& path);
// Empties `record` and lets go of its library.
void ReleaseTuningLibrary(TuningLibrary& record);

// Replaces the process's library with the one at `path` (an empty path
// leaves none). For tests only, and only while no instance exists.
bool UseTuningLibraryAt(const std::string& path);
