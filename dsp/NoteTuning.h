// What the engine asks of a microtuning source: the frequency of a MIDI note
// and whether to play it at all. The plug-in's tuning client answers; an
// engine without one plays equal temperament.
#pragma once

namespace dsp {

class NoteTuning {
 public:
  // True while notes follow a tuning other than the engine's own: only then
  // is NoteFrequency consulted.
  virtual bool FollowsMaster() const = 0;
  // Hz of a MIDI note (0–127).
  virtual double NoteFrequency(int note) const = 0;
  // True when the note is not to be played.
  virtual bool IsNoteFiltered(int note) const = 0;

 protected:
  ~NoteTuning() = default;
};

}  // namespace dsp
