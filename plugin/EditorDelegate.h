// What an editor asks of the instrument it shows, and all it may ask: the
// editor and its controls hold no plug-in object and take no lock. Every
// operation is for the editor's thread; those that wait for the user or the
// disk (RunCommand) are called with nothing held.
#pragma once

#include <string>

class EditorMailbox;
class EditorView;
class EffectParameter;

class EditorDelegate {
 public:
  virtual ~EditorDelegate() = default;

  // -- parameters -----------------------------------------------------------
  virtual int ParameterCount() const = 0;
  // A parameter's definition (names, range, texts), or null; its value is
  // read through NormalisedValue.
  virtual const EffectParameter* ParameterInfo(int index) const = 0;
  virtual double NormalisedValue(int index) const = 0;
  // An edit by the user: begin, any number of values, end.
  virtual void BeginEdit(int index) = 0;
  virtual void SetFromEditor(int index, double normalised) = 0;
  virtual void EndEdit(int index) = 0;
  // The values and button states other threads left for the editor.
  virtual EditorMailbox& Mailbox() = 0;

  // -- programs -------------------------------------------------------------
  virtual int ProgramCount() const = 0;
  virtual int CurrentProgram() const = 0;
  virtual std::string ProgramName(int index) = 0;
  // Moves whenever the current program or a name may have changed.
  virtual unsigned ProgramChanges() const = 0;
  // Keeps the edits of the program left, then switches to `index`.
  virtual void SelectProgram(int index) = 0;
  virtual void RenameProgram(const char* name) = 0;

  // -- commands, learning and the lights ------------------------------------
  // A command of the options menu; `editor` shows its questions and dialogs.
  virtual void RunCommand(int command, EditorView& editor) = 0;
  virtual bool CommandAvailable(int command) = 0;
  virtual bool CommandChecked(int command) = 0;
  virtual void SetMidiLearn(bool active, bool unlearn) = 0;
  virtual bool LearnActive() const = 0;
  // The lights as the audio thread last left them (a bit each).
  virtual unsigned Lights() const = 0;

  // -- the panel's size -----------------------------------------------------
  // The size (percent) the user chose for this instance, else the one last
  // chosen in any instance, else 0: no choice, the system's scale decides.
  virtual int ChosenPanelZoom() const { return 0; }
  // The user's choice: this instance's from now on, and the default of new ones.
  virtual void ChoosePanelZoom(int /*percent*/) {}
};
