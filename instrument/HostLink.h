// How the instrument reaches the host it runs in, whatever the plug-in
// format: each format's adapter implements it and hands it to the instrument
// it owns. Every call may reach into the host, so none is made while the
// instrument holds a lock of its own.
#pragma once

#include "plugin/HostTimeInfo.h"
#include "plugin/MidiEvent.h"

class HostLink {
 public:
  virtual ~HostLink() = default;

  // Editor or host UI thread: the user starts dragging, typing or otherwise
  // changing parameter `index`; the host records one gesture until EndEdit.
  virtual void BeginEdit(int index) = 0;
  // Any thread, audio included (a learned controller moves a parameter):
  // parameter `index` now has the normalised value, changed by the
  // instrument or its editor rather than by the host.
  virtual void PerformEdit(int index, double normalised) = 0;
  // As BeginEdit: the gesture on `index` is over.
  virtual void EndEdit(int index) = 0;
  // Editor or host UI thread: the current program, a program's name or many
  // parameters at once changed; the host reads again what it shows of them.
  virtual void ProgramListChanged() = 0;
  // Audio: sends one MIDI message out at its offset in the current block
  // (MIDI Thru). False when the host does not take it.
  virtual bool SendMidi(const MidiEvent& event) = 0;
  // Audio: the host's tempo and position at the start of the current block,
  // into the fields of `info` the host reports; the others keep their values.
  virtual void ReadTransport(HostTimeInfo& info) = 0;
};

// The host of an instance made only to read the instrument's tables or
// programs (a preset browser, a build tool): it hears nothing.
class SilentHostLink final : public HostLink {
 public:
  void BeginEdit(int) override {}
  void PerformEdit(int, double) override {}
  void EndEdit(int) override {}
  void ProgramListChanged() override {}
  bool SendMidi(const MidiEvent&) override { return false; }
  void ReadTransport(HostTimeInfo&) override {}
};
