// The component's state: the whole bank, byte for byte the bank chunk the
// VST 2.4 plug-in keeps in a host's project, so a state moves between the
// formats. It is read whole and checked before anything is applied. The
// controller keeps no state of its own: the component's holds everything.
#include "vst3/Vst3Plugin.h"

using namespace vst3;

tresult Vst3Plugin::GetComponentState(IBStream* state) {
  if (!state) return kInvalidArgument;
  StateBuffer& buffer = stateBuffer_;
  if (!instrument_->WriteBankState(buffer)) return kInternalError;
  // Streams may take fewer bytes than offered at a time.
  std::uint8_t* data = buffer.Data();
  int32 left = buffer.Size();
  while (left > 0) {
    int32 written = 0;
    if (state->write(data, left, &written) != kResultOk || written <= 0 || written > left) return kResultFalse;
    data += written;
    left -= written;
  }
  return kResultOk;
}

tresult Vst3Plugin::SetComponentState(IBStream* state) {
  if (!state) return kInvalidArgument;
  StateBuffer& buffer = stateBuffer_;
  buffer.Clear();
  std::uint8_t block[4096];
  for (;;) {
    int32 read = 0;
    const tresult result = state->read(block, sizeof block, &read);
    if (read < 0 || read > static_cast<int32>(sizeof block)) return kResultFalse;
    if (read == 0) break;  // the end, whatever the stream says of it
    if (buffer.Size() + static_cast<std::int64_t>(read) > kMaxStateSize) return kResultFalse;
    const int before = buffer.Size();
    buffer.AppendBytes(block, read);
    if (buffer.Size() != before + read) return kOutOfMemory;
    if (result != kResultOk) break;
  }
  // The host asked for this state and reads the values it needs itself:
  // nothing is reported back (a host would take it for edits).
  return instrument_->ReadBankState(buffer) ? kResultOk : kResultFalse;
}

// The host hands the controller the component's state after the component
// took it: here they are one object, which has it already.
tresult Vst3Plugin::setComponentState(IBStream* state) { return state ? kResultOk : kInvalidArgument; }

tresult Vst3Plugin::GetControllerState(IBStream* state) { return state ? kResultOk : kInvalidArgument; }

tresult Vst3Plugin::SetControllerState(IBStream* state) { return state ? kResultOk : kInvalidArgument; }
