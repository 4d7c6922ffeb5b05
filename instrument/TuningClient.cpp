#include "instrument/TuningClient.h"

#include <cmath>

namespace {

constexpr double kConcertA = 440.0;
constexpr int kConcertANote = 69;
constexpr char kAnyChannel = char(0xFF);

}  // namespace

TuningClient::TuningClient(const TuningLibrary& library) : library_(library) {
  for (int n = 0; n < kTunedNotes; ++n) frequencies_[n] = kConcertA * std::pow(2.0, (n - kConcertANote) / 12.0);
  if (library_.registerClient) {
    library_.registerClient();
    registered_ = true;
  }
}

void TuningClient::Deregister() {
  if (!registered_) return;
  registered_ = false;
  if (library_.deregisterClient) library_.deregisterClient();
}

bool TuningClient::FollowsMaster() const {
  return library_.tuningTable != nullptr && library_.hasMaster != nullptr && library_.hasMaster();
}

double TuningClient::NoteFrequency(int note) const {
  const int n = note & (kTunedNotes - 1);
  if (!FollowsMaster()) return frequencies_[n];
  // A master's nonsense would otherwise send the pitch search to an end of the scale.
  const double hz = library_.tuningTable[n];
  return std::isfinite(hz) && hz > 0.0 ? hz : frequencies_[n];
}

bool TuningClient::IsNoteFiltered(int note) const {
  if (library_.shouldFilterNote == nullptr || !FollowsMaster()) return false;
  return library_.shouldFilterNote(char(note & (kTunedNotes - 1)), kAnyChannel);
}
