// The audio path as the host drives it: the MIDI events of effProcessEvents,
// the process callbacks adapting the host's float or double buffers to the
// one double-precision render, and the parameter callbacks.
#include "vst2/VstPlugin.h"

#include <algorithm>

#include "plugin/EditorView.h"
#include "plugin/FloatControl.h"

using namespace vst;

// Events are handed on at once, with no lock taken; the instrument decides
// which act at the next block and which wait for their sample offset.
void VstPlugin::DeliverEvents(const VstEvents& events) {
  VstEvent* const* entries = EventEntries(events);
  for (VstInt32 i = 0; i < events.numEvents; ++i) {
    const VstEvent* event = entries[i];
    if (!event) continue;
    if (event->type == kVstMidiType) {
      auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
      MidiEvent message;
      message.offset = midi->deltaFrames;
      message.status = static_cast<std::uint8_t>(midi->midiData[0]);
      message.data1 = static_cast<std::uint8_t>(midi->midiData[1]);
      message.data2 = static_cast<std::uint8_t>(midi->midiData[2]);
      instrument_->ReceiveMidi(message);
    }
    // System-exclusive events mean nothing to the instrument.
  }
}

void VstPlugin::VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (VstPlugin* plugin = FromRecord(effect)) plugin->ProcessFloat(inputs, outputs, frames, true);
}

void VstPlugin::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (VstPlugin* plugin = FromRecord(effect)) plugin->ProcessFloat(inputs, outputs, frames, false);
}

void VstPlugin::VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs, VstInt32 frames) {
  if (VstPlugin* plugin = FromRecord(effect)) plugin->ProcessDouble(inputs, outputs, frames);
}

// Any thread, the audio thread included (some hosts automate from there):
// lock-free.
void VstPlugin::VSTSetParameter(AEffect* effect, VstInt32 index, float value) {
  VstPlugin* plugin = FromRecord(effect);
  if (!plugin) return;
  Kestrion& instrument = *plugin->instrument_;
  EffectParameter* parameter = instrument.Parameter(index);
  if (!parameter) return;
  instrument.ShowOnEditor(index, value, true);
  parameter->SetFromNormalized(value);
  instrument.ParameterChanged(index);
  instrument.ParameterEditedByHost(index);
}

float VstPlugin::VSTGetParameter(AEffect* effect, VstInt32 index) {
  VstPlugin* plugin = FromRecord(effect);
  if (!plugin) return 0;
  const EffectParameter* parameter = plugin->instrument_->Parameter(index);
  return parameter ? static_cast<float>(parameter->ToNormalized()) : 0.0f;
}

// What every process call shares: the MIDI request, the instrument's
// process bracket (which takes no lock and waits for nothing; while another
// thread holds the engine the call is silent), flushed denormals, and
// pieces of at most one block, since the scratch buffers hold one block and
// the instrument is prepared for no more.
template <typename RenderPiece, typename Silence>
void VstPlugin::RunProcess(bool hostBuffersMissing, int frames, RenderPiece renderPiece, Silence silence) {
  CallHost(audioMasterWantMidi);
  Kestrion& instrument = *instrument_;
  if (!instrument.BeginProcess()) {
    if (frames > 0 && !hostBuffersMissing) silence(frames);
    return;
  }
  {
    ScopedFlushDenormals flush;
    if (frames > 0 && !hostBuffersMissing) {
      const int piece = blockSize_;
      for (int done = 0; done < frames; done += piece) renderPiece(done, frames - done < piece ? frames - done : piece);
    }
  }
  instrument.EndProcess();
}

void VstPlugin::RenderPointers(int frames) { instrument_->RenderBlock(outputPointers_[0], outputPointers_[1], frames); }

void VstPlugin::ProcessFloat(float** /*inputs*/, float** outputs, int frames, bool accumulate) {
  RunProcess(
      !outputs, frames,
      [&](int done, int n) {
        int hostOutput = 0;
        for (int i = 0; i < kOutputCount; ++i) {
          OutputChannel& channel = outputs_[i];
          if (!channel.connected) continue;
          outputPointers_[i] = channel.scratch.data();
          channel.hostBuffer = outputs[hostOutput++] + done;
        }
        RenderPointers(n);
        for (const OutputChannel& channel : outputs_) {
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
      },
      [&](int n) {
        if (accumulate) return;
        for (int i = 0; i < kOutputCount; ++i)
          if (outputs[i]) std::fill(outputs[i], outputs[i] + n, 0.0f);
      });
}

// The host's double buffers are rendered into directly.
void VstPlugin::ProcessDouble(double** /*inputs*/, double** outputs, int frames) {
  RunProcess(
      !outputs, frames,
      [&](int done, int n) {
        int hostOutput = 0;
        for (int i = 0; i < kOutputCount; ++i)
          if (outputs_[i].connected) outputPointers_[i] = outputs[hostOutput++] + done;
        RenderPointers(n);
      },
      [&](int n) {
        for (int i = 0; i < kOutputCount; ++i)
          if (outputs[i]) std::fill(outputs[i], outputs[i] + n, 0.0);
      });
}
