// A small plug-in with a recording host and a headless editor on it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "plugin/EditorDelegate.h"
#include "plugin/EffectBase.h"
#include "ui/BitmapControls.h"
#include "ui/HeadlessEditor.h"
#include "ui/KnobControls.h"
#include "ui/TextControl.h"

namespace editortest {

// What the plug-in passes on to its host.
enum HostCallKind { kBeginEdit, kAutomate, kEndEdit };

struct HostCall {
  HostCallKind opcode;
  int index;
  float opt;
};

inline std::vector<HostCall>& HostCalls() {
  static std::vector<HostCall> calls;
  return calls;
}

enum Parameter { kCutoff = 0, kWave = 1, kLevel = 2, kMode = 3, kParameterCount = 4 };

class TestPlugin : public EffectBase, public EditorDelegate {
 public:
  TestPlugin() : EffectBase(Identity()) {
    Parameter(kCutoff)->DefineContinuous("Cutoff", 50, 0, 100, 0.1, 1.0);
    static const char* const waves[] = {"Tri", "Saw", "Pulse"};
    Parameter(kWave)->DefineEnumeration("Wave", 1, 3, waves);
    Parameter(kLevel)->DefineContinuous("Level", 0.25, 0, 1, 0.01, 1.0);
    static const char* const modes[] = {"Off", "On"};
    Parameter(kMode)->DefineEnumeration("Mode", 0, 2, modes);
  }
  void ApplyParameterToEngine(int index, double) override { changed.push_back(index); }
  void SendToHost(const HostCall& call) override {
    if (call.kind == HostCallKind::kBeginEdit) HostCalls().push_back({kBeginEdit, call.index, 0});
    if (call.kind == HostCallKind::kPerformEdit)
      HostCalls().push_back({kAutomate, call.index, static_cast<float>(call.value)});
    if (call.kind == HostCallKind::kEndEdit) HostCalls().push_back({kEndEdit, call.index, 0});
  }
  void RenderBlock(double*, double*, int) override {}

  // EditorDelegate: parameters only; the panel's programs and commands are
  // the instrument's.
  int ParameterCount() const override { return EffectBase::ParameterCount(); }
  const EffectParameter* ParameterInfo(int index) const override { return Parameter(index); }
  double NormalisedValue(int index) const override { return Parameter(index)->ToNormalized(); }
  void BeginEdit(int index) override { BeginParameterEdit(index); }
  void SetFromEditor(int index, double normalised) override { SetParameterFromEditor(index, normalised); }
  void EndEdit(int index) override { EndParameterEdit(index); }
  EditorMailbox& Mailbox() override { return EditorValues(); }
  int ProgramCount() const override { return 1; }
  int CurrentProgram() const override { return 0; }
  std::string ProgramName(int) override { return ""; }
  unsigned ProgramChanges() const override { return 0; }
  void SelectProgram(int) override {}
  void RenameProgram(const char*) override {}
  void RunCommand(int, EditorView&) override {}
  bool CommandAvailable(int) override { return true; }
  bool CommandChecked(int) override { return false; }
  void SetMidiLearn(bool, bool) override {}
  bool LearnActive() const override { return false; }
  unsigned Lights() const override { return 0; }
  std::vector<int> changed;

 private:
  static const EffectIdentity& Identity() {
    static const EffectIdentity identity{"EditorTest",    "", "Tests", 0x00010000, 0x45645453, 0x54657374,
                                         kParameterCount, 1,  0,       true,       true,       true};
    return identity;
  }
};

// A control that counts its renders.
class CountingControl : public Control {
 public:
  CountingControl(EditorDelegate* plugin, const Rect& area, int parameter) : Control(plugin, area, parameter) {}
  bool Render(Editor&) override {
    ++renders;
    return true;
  }
  int renders = 0;
};

// A stacked strip whose frame f (1-based) is filled with colour 0xFF0000f0 + f.
inline std::unique_ptr<graphics::RasterMemBitmap> MakeStripImage(int width, int frameHeight, int frames) {
  auto image = std::make_unique<graphics::RasterMemBitmap>(width, frameHeight * frames);
  for (int y = 0; y < frameHeight * frames; ++y)
    for (int x = 0; x < width; ++x) image->Row(y)[x] = 0xFF0000F0u + static_cast<std::uint32_t>(y / frameHeight + 1);
  return image;
}

// The first control of the editor bound to `index` (a parameter or a command code).
inline Control* FindBound(const Editor& editor, int index) {
  for (int i = 0; i < editor.ControlCount(); ++i)
    if (editor.ControlAt(i)->ParameterIndex() == index) return editor.ControlAt(i);
  return nullptr;
}

inline FrameStrip StripOf(graphics::RasterBitmap* image, int frames) {
  FrameStrip strip;
  strip.image = image;
  strip.width = image->Width();
  strip.height = image->Height();
  strip.frames = frames;
  return strip;
}

class EditorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    HostCalls().clear();
    editor->SetQuietTickHandler([this] { ++quietTicks; });
  }
  // Starts the editor as a panel does, after the test has added its controls.
  void Attach() { editor->StartShowing(); }

  std::vector<HostCall> EditCalls() const {
    std::vector<HostCall> edits;
    for (const HostCall& call : HostCalls())
      if (call.opcode != kAutomate) edits.push_back(call);
    return edits;
  }

  TestPlugin plugin;
  std::unique_ptr<HeadlessEditor> editor = std::make_unique<HeadlessEditor>(&plugin, 200, 100);
  int quietTicks = 0;
};

}  // namespace editortest
