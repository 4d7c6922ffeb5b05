#include "instrument/MidiLearn.h"

#include "plugin/EditorView.h"
#include "instrument/Synth.h"

namespace {

bool IsController(int controller) {
  return controller >= 0 && controller < kLearnableControllerCount;
}

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
  Lock lock(Mutex());
  learn_.capturedController = -1;
  learn_.capturedParameter = -1;
  learn_.unlearn = unlearn;
  learn_.active = active;
}

void Synth::BindLearnedController() {
  Lock lock(Mutex());
  if (BindCaptures(learn_, controllerMap_) && Editor())
    Editor()->ShowParameterValue(kLearnSwitchCommand, 0.0, true);
}

void Synth::ParameterChanged(int index) {
  Lock lock(Mutex());
  if (!learn_.active) return;
  learn_.capturedParameter = index;
  BindLearnedController();
}

int Synth::LearnedParameter(int controller) const {
  if (!IsController(controller)) return -1;
  return controllerMap_[controller];
}
