// Typed values: effString2Parameter as a host sends it and the editor's
// text entry as the user commits it. The first byte chooses the parameter
// (a few indices past the last one included), the second the way in, the
// rest is the text. Every value stays a finite number in range; a refused
// text changes nothing.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "instrument/Kestrion.h"
#include "tests/fuzz/FuzzHost.h"
#include "vst2/VstPlugin.h"

namespace {

Control* ControlOf(const Editor& editor, int index) {
  for (int i = 0; i < editor.ControlCount(); ++i)
    if (editor.ControlAt(i)->ParameterIndex() == index) return editor.ControlAt(i);
  return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static testhost::Instance instance{"", testhost::MakeHeadlessEditor};
  if (size < 2) return 0;
  auto* synth = InstrumentOf(instance.effect);
  const int index = data[0] % (Kestrion::kParameterCount + 2);
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  if (data[1] & 1) {
    Editor* editor = &EditorOf(instance.effect)->Window();
    Control* control = editor ? ControlOf(*editor, index) : nullptr;
    if (!control) return 0;
    editor->CommitTextEntry(control, synth->Parameter(index), text.c_str());
  } else {
    const std::string before = testhost::Snapshot(instance);
    if (!instance.Call(vst::effString2Parameter, index, 0, const_cast<char*>(text.c_str())))
      FUZZ_EXPECT(testhost::Snapshot(instance) == before, "a refused text changed the instance");
  }
  for (int i = 0; i < Kestrion::kParameterCount; ++i) {
    const float value = instance.effect->getParameter(instance.effect, i);
    FUZZ_EXPECT(std::isfinite(value) && value >= 0 && value <= 1, "a parameter out of range");
  }
  return 0;
}
