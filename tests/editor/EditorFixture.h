// A small plug-in with a recording host and a headless editor on it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "editor/BitmapControls.h"
#include "editor/HeadlessGraphics.h"
#include "editor/KnobControls.h"
#include "editor/TextControl.h"
#include "host/EffectVST.h"

namespace editortest {

struct HostCall {
  int opcode;
  int index;
  float opt;
};

inline std::vector<HostCall>& HostCalls() {
  static std::vector<HostCall> calls;
  return calls;
}

inline vst::VstIntPtr RecordingHost(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr,
                                    void*, float opt) {
  if (opcode == vst::audioMasterBeginEdit || opcode == vst::audioMasterEndEdit ||
      opcode == vst::audioMasterAutomate)
    HostCalls().push_back({opcode, index, opt});
  return 0;
}

enum Parameter { kCutoff = 0, kWave = 1, kLevel = 2, kMode = 3, kParameterCount = 4 };

class TestPlugin : public IEffectVST {
 public:
  TestPlugin() : IEffectVST(Identity(), &RecordingHost) {
    Parameter(kCutoff)->DefineContinuous("Cutoff", 50, 0, 100, 0.1, 1.0);
    static const char* const waves[] = {"Tri", "Saw", "Pulse"};
    Parameter(kWave)->DefineEnumeration("Wave", 1, 3, waves);
    Parameter(kLevel)->DefineContinuous("Level", 0.25, 0, 1, 0.01, 1.0);
    static const char* const modes[] = {"Off", "On"};
    Parameter(kMode)->DefineEnumeration("Mode", 0, 2, modes);
  }
  void IdleTick() override { ++idleTicks; }
  void ParameterChanged(int index) override { changed.push_back(index); }
  int idleTicks = 0;
  std::vector<int> changed;

 private:
  static const IEffectIdentity& Identity() {
    static const IEffectIdentity identity{"EditorTest", "", "Tests", 0x00010000, 0x45645453, 0x54657374,
                                          kParameterCount, 1, "0-1 0-2", 0, true, true, true};
    return identity;
  }
};

// A control that counts its renders.
class CountingControl : public IControl {
 public:
  CountingControl(IEffectBase* plugin, const IPanelRect& area, int parameter) : IControl(plugin, area, parameter) {}
  bool Render(IGraphics&) override {
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
inline IControl* FindBound(const IGraphics& editor, int index) {
  for (int i = 0; i < editor.ControlCount(); ++i)
    if (editor.Control(i)->ParameterIndex() == index) return editor.Control(i);
  return nullptr;
}

inline IFrameStrip StripOf(graphics::RasterBitmap* image, int frames) {
  IFrameStrip strip;
  strip.image = image;
  strip.width = image->Width();
  strip.height = image->Height();
  strip.frames = frames;
  return strip;
}

class EditorFixture : public ::testing::Test {
 protected:
  void SetUp() override { HostCalls().clear(); }
  void TearDown() override {
    if (!plugin.Editor()) delete editor;
  }

  // Attaches the editor as the plug-in constructor would, after the test
  // has added its controls.
  void Attach() { plugin.AttachEditor(editor); }

  std::vector<HostCall> EditCalls() const {
    std::vector<HostCall> edits;
    for (const HostCall& call : HostCalls())
      if (call.opcode != vst::audioMasterAutomate) edits.push_back(call);
    return edits;
  }

  TestPlugin plugin;
  IGraphicsHeadless* editor = new IGraphicsHeadless(&plugin, 200, 100);  // owned by the plug-in once attached
};

}  // namespace editortest
