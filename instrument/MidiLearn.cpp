#include "instrument/MidiLearn.h"

#include "instrument/Synth.h"
#include "plugin/EditorView.h"

namespace {

bool IsController(int controller) { return controller >= 0 && controller < kLearnableControllerCount; }

void Unbind(ControllerMap& map, int parameter) {
  for (std::int32_t& entry : map)
    if (entry == parameter) entry = -1;
}

}  // namespace

bool BindCaptures(MidiLearn& learn, ControllerMap& map) {
  if (!learn.active) return false;
  const bool controller = IsController(learn.capturedController);
  const bool parameter = learn.capturedParameter >= 0;
  if (!learn.unlearn) {
    if (!controller || !parameter) return false;
    Unbind(map, learn.capturedParameter);
    map[learn.capturedController] = learn.capturedParameter;
  } else if (controller) {
    map[learn.capturedController] = -1;
  } else if (parameter) {
    Unbind(map, learn.capturedParameter);
  } else {
    return false;
  }
  learn.active = false;
  learn.unlearn = false;
  return true;
}

void Synth::SetMidiLearn(bool active, bool unlearn) {
  capturedController_.store(-1, std::memory_order_relaxed);
  capturedParameter_.store(-1, std::memory_order_relaxed);
  learnMode_.store(!active ? kLearnOff : unlearn ? kUnlearning : kLearning, std::memory_order_release);
}

void Synth::CaptureLearnController(int controller) {
  if (!LearnActive()) return;
  capturedController_.store(controller, std::memory_order_release);
  BindLearnCaptures();
}

void Synth::CaptureLearnParameter(int index) {
  if (!LearnActive()) return;
  capturedParameter_.store(index, std::memory_order_release);
  BindLearnCaptures();
}

// Captures come from the editor, the host and the audio thread: whoever
// ends learning (one compare-and-swap decides) writes the binding.
void Synth::BindLearnCaptures() {
  int mode = learnMode_.load(std::memory_order_acquire);
  if (mode == kLearnOff) return;
  MidiLearn learn;
  learn.active = true;
  learn.unlearn = mode == kUnlearning;
  learn.capturedController = capturedController_.load(std::memory_order_acquire);
  learn.capturedParameter = capturedParameter_.load(std::memory_order_acquire);
  ControllerMap map;
  for (int c = 0; c < kLearnableControllerCount; ++c) map[c] = controllerMap_[c].load(std::memory_order_relaxed);
  if (!BindCaptures(learn, map)) return;
  if (!learnMode_.compare_exchange_strong(mode, kLearnOff, std::memory_order_acq_rel)) return;
  for (int c = 0; c < kLearnableControllerCount; ++c) controllerMap_[c].store(map[c], std::memory_order_relaxed);
  ShowOnEditor(kLearnSwitchCommand, 0.0, true);
}

int Synth::LearnedParameter(int controller) const {
  if (!IsController(controller)) return -1;
  return controllerMap_[controller].load(std::memory_order_relaxed);
}
