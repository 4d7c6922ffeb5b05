// What the panel costs the editor's thread: drawing all of it (opening the
// window), drawing after one knob moved, and a timer tick with nothing to
// draw. Headless: the drawing stops at the editor's own bitmap.
#include <benchmark/benchmark.h>

#include "instrument/Kestrion.h"
#include "instrument/ParameterIndex.h"
#include "ui/HeadlessEditor.h"
#include "vst2/VstPlugin.h"

namespace {

vst::VstIntPtr Host(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

Editor* Headless(EditorDelegate* plugin, int width, int height) { return new HeadlessEditor(plugin, width, height); }

class Panel {
 public:
  Panel() : effect_(CreateKestrion(&Host, Headless)) {
    effect_->dispatcher(effect_, vst::effOpen, 0, 0, nullptr, 0);
    int parent = 0;
    effect_->dispatcher(effect_, vst::effEditOpen, 0, 0, &parent, 0);
    editor().Tick();
  }
  ~Panel() { effect_->dispatcher(effect_, vst::effClose, 0, 0, nullptr, 0); }
  HeadlessEditor& editor() { return static_cast<HeadlessEditor&>(EditorOf(effect_)->Window()); }
  vst::AEffect* effect() const { return effect_; }

 private:
  vst::AEffect* effect_;
};

void FullRedraw(benchmark::State& state) {
  Panel panel;
  HeadlessEditor& editor = panel.editor();
  for (auto _ : state) {
    editor.MarkAllChanged();
    editor.TimerTick();
  }
}
BENCHMARK(FullRedraw)->Unit(benchmark::kMillisecond);

void OneKnobMoved(benchmark::State& state) {
  Panel panel;
  HeadlessEditor& editor = panel.editor();
  float value = 0;
  for (auto _ : state) {
    value = value > 0.9f ? 0.0f : value + 0.05f;
    panel.effect()->setParameter(panel.effect(), Param::Cutoff, value);
    editor.TimerTick();
  }
}
BENCHMARK(OneKnobMoved)->Unit(benchmark::kMicrosecond);

void QuietTick(benchmark::State& state) {
  Panel panel;
  HeadlessEditor& editor = panel.editor();
  for (auto _ : state) editor.TimerTick();
}
BENCHMARK(QuietTick)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
