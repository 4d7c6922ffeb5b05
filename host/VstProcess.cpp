// The audio path as the host drives it: the MIDI events of effProcessEvents,
// the process callbacks adapting the host's float or double buffers to the
// one double-precision render, and the parameter callbacks.
#include "host/EffectVST.h"

#include "core/EditorView.h"
#include "host/FloatControl.h"

using namespace vst;

// Events are handed on at once, under the dispatcher's lock; the shell
// decides which act now and which wait for their sample offset.
void IEffectVST::DeliverEvents(const VstEvents& events) {
  VstEvent* const* entries = EventEntries(events);
  for (VstInt32 i = 0; i < events.numEvents; ++i) {
    const VstEvent* event = entries[i];
    if (!event) continue;
    if (event->type == kVstMidiType) {
      auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
      IMidiEvent message;
      message.offset = midi->deltaFrames;
      message.status = static_cast<std::uint8_t>(midi->midiData[0]);
      message.data1 = static_cast<std::uint8_t>(midi->midiData[1]);
      message.data2 = static_cast<std::uint8_t>(midi->midiData[2]);
      HandleMidiEvent(&message);
    } else if (event->type == kVstSysExType) {
      auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
      IMidiSysEx message;
      message.offset = sysex->deltaFrames;
      message.size = sysex->dumpBytes;
      message.data = reinterpret_cast<const std::uint8_t*>(sysex->sysexDump);
      HandleSysEx(&message);
    }
  }
}

void IEffectVST::VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (IEffectVST* plugin = FromRecord(effect)) plugin->ProcessFloat(inputs, outputs, frames, true);
}

void IEffectVST::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                     VstInt32 frames) {
  if (IEffectVST* plugin = FromRecord(effect)) plugin->ProcessFloat(inputs, outputs, frames, false);
}

void IEffectVST::VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                           VstInt32 frames) {
  if (IEffectVST* plugin = FromRecord(effect)) plugin->ProcessDouble(inputs, outputs, frames);
}

void IEffectVST::VSTSetParameter(AEffect* effect, VstInt32 index, float value) {
  IEffectVST* plugin = FromRecord(effect);
  if (!plugin) return;
  try {
    Lock lock(plugin->Mutex());
    IEffectParameter* parameter = plugin->Parameter(index);
    if (!parameter) return;
    if (plugin->Editor()) plugin->Editor()->ShowParameterValue(index, value, true);
    parameter->SetFromNormalized(value);
    plugin->ParameterChanged(index);
  } catch (...) {
  }
}

float IEffectVST::VSTGetParameter(AEffect* effect, VstInt32 index) {
  IEffectVST* plugin = FromRecord(effect);
  if (!plugin) return 0;
  Lock lock(plugin->Mutex());
  const IEffectParameter* parameter = plugin->Parameter(index);
  return parameter ? static_cast<float>(parameter->ToNormalized()) : 0.0f;
}

// What every process call shares: the mutex, flushed denormals, the MIDI
// request, and pieces of at most one block, since the scratch buffers hold
// one block and the instrument is prepared for no more.
template <typename RenderPiece>
void IEffectVST::RunProcess(bool hostBuffersMissing, int frames, RenderPiece renderPiece) {
  try {
    Lock lock(Mutex());
    ScopedFlushDenormals flush;
    if (HandlesMidi()) CallHost(audioMasterWantMidi);
    if (frames <= 0 || hostBuffersMissing) {
      RenderBlock(InputPointers(), OutputPointers(), 0);
      return;
    }
    const int piece = BlockSize();
    for (int done = 0; done < frames; done += piece)
      renderPiece(done, frames - done < piece ? frames - done : piece);
  } catch (...) {
  }
}

void IEffectVST::ProcessFloat(float** inputs, float** outputs, int frames, bool accumulate) {
  const bool missing = (!outputs && OutputCount() > 0) || (!inputs && InputCount() > 0);
  RunProcess(missing, frames, [&](int done, int n) {
    int hostInput = 0;
    for (int i = 0; i < InputCount(); ++i) {
      IChannel& channel = Input(i);
      if (!channel.connected) continue;
      const float* from = inputs[hostInput++] + done;
      for (int s = 0; s < n; ++s) channel.scratch[static_cast<size_t>(s)] = from[s];
      *channel.slot = channel.scratch.data();
    }
    int hostOutput = 0;
    for (int i = 0; i < OutputCount(); ++i) {
      IChannel& channel = Output(i);
      if (!channel.connected) continue;
      *channel.slot = channel.scratch.data();
      channel.hostBuffer = outputs[hostOutput++] + done;
    }
    RenderBlock(InputPointers(), OutputPointers(), n);
    for (int i = 0; i < OutputCount(); ++i) {
      IChannel& channel = Output(i);
      if (!channel.connected) continue;
      const double* from = channel.scratch.data();
      float* to = channel.hostBuffer;
      int s = 0;
      if (accumulate) {
        for (; s + 4 <= n; s += 4) {
          to[s] = static_cast<float>(from[s]) + to[s];
          to[s + 1] = static_cast<float>(from[s + 1]) + to[s + 1];
          to[s + 2] = static_cast<float>(from[s + 2]) + to[s + 2];
          to[s + 3] = static_cast<float>(from[s + 3]) + to[s + 3];
        }
        for (; s < n; ++s) to[s] = static_cast<float>(from[s]) + to[s];
      } else {
        for (; s + 4 <= n; s += 4) {
          to[s] = static_cast<float>(from[s]);
          to[s + 1] = static_cast<float>(from[s + 1]);
          to[s + 2] = static_cast<float>(from[s + 2]);
          to[s + 3] = static_cast<float>(from[s + 3]);
        }
        for (; s < n; ++s) to[s] = static_cast<float>(from[s]);
      }
    }
  });
}

// The host's double buffers are rendered into directly.
void IEffectVST::ProcessDouble(double** inputs, double** outputs, int frames) {
  const bool missing = (!outputs && OutputCount() > 0) || (!inputs && InputCount() > 0);
  RunProcess(missing, frames, [&](int done, int n) {
    int hostInput = 0;
    for (int i = 0; i < InputCount(); ++i)
      if (Input(i).connected) *Input(i).slot = inputs[hostInput++] + done;
    int hostOutput = 0;
    for (int i = 0; i < OutputCount(); ++i)
      if (Output(i).connected) *Output(i).slot = outputs[hostOutput++] + done;
    RenderBlock(InputPointers(), OutputPointers(), n);
  });
}
