// A tuning library for tests: the entry points the plug-in looks up, and a
// control interface through which a test plays the master.
#include <cmath>

#include "platform/Export.h"

namespace {

constexpr int kNotes = 128;

struct Master {
  bool connected = false;
  double table[kNotes];
  bool filtered[kNotes];
  int clients = 0;
  int registrations = 0;
};

Master master;

void EqualTemperament() {
  for (int n = 0; n < kNotes; ++n) {
    master.table[n] = 440.0 * std::pow(2.0, (n - 69) / 12.0);
    master.filtered[n] = false;
  }
}

const bool prepared = (EqualTemperament(), true);

int Note(char note) { return static_cast<unsigned char>(note) & (kNotes - 1); }

}  // namespace

KESTRION_EXPORT void MTS_RegisterClient() {
  ++master.clients;
  ++master.registrations;
}
KESTRION_EXPORT void MTS_DeregisterClient() { --master.clients; }
KESTRION_EXPORT bool MTS_HasMaster() { return master.connected; }
KESTRION_EXPORT bool MTS_ShouldFilterNote(char note, char /*channel*/) {
  return master.connected && master.filtered[Note(note)];
}
KESTRION_EXPORT bool MTS_ShouldFilterNoteMultiChannel(char note, char channel) {
  return MTS_ShouldFilterNote(note, channel);
}
KESTRION_EXPORT const double* MTS_GetTuningTable() { return master.table; }
KESTRION_EXPORT const double* MTS_GetMultiChannelTuningTable(char /*channel*/) { return master.table; }
KESTRION_EXPORT bool MTS_UseMultiChannelTuning(char /*channel*/) { return false; }
KESTRION_EXPORT const char* MTS_GetScaleName() { return "test scale"; }

// -- control interface for the tests ---------------------------------------------
KESTRION_EXPORT void TestMaster_Connect() { master.connected = true; }
KESTRION_EXPORT void TestMaster_Disconnect() { master.connected = false; }
// Disconnected, equal temperament, nothing filtered.
KESTRION_EXPORT void TestMaster_Reset() {
  master.connected = false;
  EqualTemperament();
}
KESTRION_EXPORT void TestMaster_SetFrequency(int note, double hz) { master.table[note & (kNotes - 1)] = hz; }
KESTRION_EXPORT void TestMaster_Filter(int note, bool filtered) { master.filtered[note & (kNotes - 1)] = filtered; }
KESTRION_EXPORT int TestMaster_Clients() { return master.clients; }
KESTRION_EXPORT int TestMaster_Registrations() { return master.registrations; }
