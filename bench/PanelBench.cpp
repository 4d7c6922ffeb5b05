// What the panel costs the editor's thread, at 100 % and 200 %: drawing all
// of it (opening the window), drawing after one knob moved, a timer tick
// with nothing to draw, and changing the panel's size (the first change to
// a size resamples its art; later ones find it cached). Headless: the
// drawing stops at the editor's own bitmap.
#include <benchmark/benchmark.h>

#include "instrument/Kestrion.h"
#include "instrument/ParameterIndex.h"
#include "instrument/panel/PanelEditor.h"
#include "ui/HeadlessEditor.h"
#include "vst2/VstPlugin.h"

namespace {

vst::VstIntPtr Host(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

// Putting the bitmap on the screen is the window system's work (the X
// server's, with shared memory): this window keeps no copy of it.
class DrawingOnly : public HeadlessEditor {
 public:
  using HeadlessEditor::HeadlessEditor;
  void PresentArea(const Rect& /*area*/) override {}
};

Editor* Headless(EditorDelegate* plugin, int width, int height) { return new DrawingOnly(plugin, width, height); }

class Panel {
 public:
  explicit Panel(int zoom = kDefaultZoom) : effect_(CreateKestrion(&Host, Headless)) {
    effect_->dispatcher(effect_, vst::effOpen, 0, 0, nullptr, 0);
    int parent = 0;
    effect_->dispatcher(effect_, vst::effEditOpen, 0, 0, &parent, 0);
    EditorOf(effect_)->ShowAtZoom(zoom, false);
    editor().Tick();
  }
  ~Panel() { effect_->dispatcher(effect_, vst::effClose, 0, 0, nullptr, 0); }
  HeadlessEditor& editor() { return static_cast<HeadlessEditor&>(EditorOf(effect_)->Window()); }
  vst::AEffect* effect() const { return effect_; }

 private:
  vst::AEffect* effect_;
};

// Registered first, while no size but 100 % has been drawn in the process.
void FirstChangeOfSize(benchmark::State& state) {
  Panel panel;
  for (auto _ : state) EditorOf(panel.effect())->ShowAtZoom(static_cast<int>(state.range(0)), false);
}
BENCHMARK(FirstChangeOfSize)->Arg(125)->Arg(150)->Arg(175)->Arg(200)->Iterations(1)->Unit(benchmark::kMillisecond);

void ChangeOfSize(benchmark::State& state) {
  Panel panel;
  bool large = false;
  for (auto _ : state) {
    large = !large;
    EditorOf(panel.effect())->ShowAtZoom(large ? 200 : 150, false);
  }
}
BENCHMARK(ChangeOfSize)->Unit(benchmark::kMillisecond);

void FullRedraw(benchmark::State& state) {
  Panel panel(static_cast<int>(state.range(0)));
  HeadlessEditor& editor = panel.editor();
  for (auto _ : state) {
    editor.MarkAllChanged();
    editor.TimerTick();
  }
}
BENCHMARK(FullRedraw)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void OneKnobMoved(benchmark::State& state) {
  Panel panel(static_cast<int>(state.range(0)));
  HeadlessEditor& editor = panel.editor();
  float value = 0;
  for (auto _ : state) {
    value = value > 0.9f ? 0.0f : value + 0.05f;
    panel.effect()->setParameter(panel.effect(), Param::Cutoff, value);
    editor.TimerTick();
  }
}
BENCHMARK(OneKnobMoved)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

void QuietTick(benchmark::State& state) {
  Panel panel(static_cast<int>(state.range(0)));
  HeadlessEditor& editor = panel.editor();
  for (auto _ : state) editor.TimerTick();
}
BENCHMARK(QuietTick)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
