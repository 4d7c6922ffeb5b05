// An instance's view of the microtuning library: the frequency of each MIDI
// note and the notes to ignore, from a connected master when there is one,
// else equal temperament.
#pragma once

#include "dsp/NoteTuning.h"
#include "instrument/TuningLibrary.h"

constexpr int kTunedNotes = 128;

class TuningClient final : public dsp::NoteTuning {
 public:
  // Registers with the library when it is there.
  explicit TuningClient(const TuningLibrary& library);
  TuningClient(const TuningClient&) = delete;
  TuningClient& operator=(const TuningClient&) = delete;

  // Tells the library this client is gone; the second call does nothing.
  void Deregister();

  // True when a master is connected and its table is there: only then do
  // notes follow it.
  bool FollowsMaster() const override;
  // Hz of a MIDI note (taken modulo 128).
  double NoteFrequency(int note) const override;
  // True when the master says the note is not to be played.
  bool IsNoteFiltered(int note) const override;
  const char* ScaleName() const { return "12-TET"; }

 private:
  const TuningLibrary& library_;
  double frequencies_[kTunedNotes];  // equal temperament, A4 = note 69 = 440 Hz
  bool registered_ = false;
};
