// The audio path as a VST 3 host drives it: note events and the MIDI
// parameters into the instrument's MIDI intake, parameter values at their
// offsets, the transport, the render into 32- or 64-bit buffers, and MIDI
// Thru and the instrument's own edits out.
#include <algorithm>
#include <cmath>

#include "dsp/MidiMessage.h"
#include "plugin/FloatControl.h"
#include "vst3/Vst3Plugin.h"

using namespace vst3;
namespace midi = dsp::midi;

namespace {

int Unit7(double normalised) {
  if (!(normalised > 0)) return 0;
  return static_cast<int>(std::min(normalised, 1.0) * 127 + 0.5);
}

}  // namespace

// -- what comes in ---------------------------------------------------------------------------

void Vst3Plugin::ReceiveEvent(const Event& event) {
  if (event.busIndex != 0) return;
  MidiEvent message;
  message.offset = event.sampleOffset;
  switch (event.type) {
    case Event::kNoteOnEvent:
    case Event::kNoteOffEvent: {
      const bool on = event.type == Event::kNoteOnEvent;
      const int16 channel = on ? event.noteOn.channel : event.noteOff.channel;
      const int16 pitch = on ? event.noteOn.pitch : event.noteOff.pitch;
      if (channel < 0 || channel > 15 || pitch < 0 || pitch > 127) return;
      message.status = static_cast<std::uint8_t>((on ? midi::kNoteOn : midi::kNoteOff) | channel);
      message.data1 = static_cast<std::uint8_t>(pitch);
      message.data2 = MidiVelocity(on ? event.noteOn.velocity : event.noteOff.velocity, on);
      break;
    }
    case Event::kPolyPressureEvent: {
      const PolyPressureEvent& pressure = event.polyPressure;
      if (pressure.channel < 0 || pressure.channel > 15 || pressure.pitch < 0 || pressure.pitch > 127) return;
      message.status = static_cast<std::uint8_t>(midi::kPolyPressure | pressure.channel);
      message.data1 = static_cast<std::uint8_t>(pressure.pitch);
      message.data2 = static_cast<std::uint8_t>(Unit7(pressure.pressure));
      break;
    }
    default: return;  // system exclusive, note expressions, chords and scales mean nothing here
  }
  instrument_->ReceiveMidi(message);
}

// The host's controllers come as parameters: back to MIDI on channel 1,
// held until the block's note events join them in offset order.
void Vst3Plugin::ReceiveMidiParameter(ParamID id, int32 offset, double normalised) {
  if (id == kProgramParameter) {
    const int program = static_cast<int>(normalizedParamToPlain(id, normalised));
    if (program != instrument_->CurrentPreset()) instrument_->RequestProgram(program);
    return;
  }
  if (midiCount_ >= kMaxPoints) return;
  const int controller = static_cast<int>(id - kFirstMidiParameter);
  midiValues_[controller].store(static_cast<float>(normalised), std::memory_order_relaxed);
  MidiEvent message;
  message.offset = offset;
  if (controller == kPitchBend) {
    const int value = static_cast<int>(normalizedParamToPlain(id, normalised));
    message.status = midi::kPitchBend;
    message.data1 = static_cast<std::uint8_t>(value & 0x7F);
    message.data2 = static_cast<std::uint8_t>(value >> 7);
  } else if (controller == kAfterTouch) {
    message.status = midi::kChannelPressure;
    message.data1 = static_cast<std::uint8_t>(Unit7(normalised));
  } else {
    message.status = midi::kControlChange;
    message.data1 = static_cast<std::uint8_t>(controller);
    message.data2 = static_cast<std::uint8_t>(Unit7(normalised));
  }
  // Into its place by offset, after those of the same offset.
  int at = midiCount_++;
  for (; at > 0 && midiMessages_[at - 1].offset > offset; --at) midiMessages_[at] = midiMessages_[at - 1];
  midiMessages_[at] = message;
}

int Vst3Plugin::GatherPoints(IParameterChanges* changes, int32 frames) {
  if (!changes) return 0;
  int count = 0;
  const int32 queues = changes->getParameterCount();
  for (int32 q = 0; q < queues; ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const ParamID id = queue->getParameterId();
    const bool ours = instrument_->Parameter(static_cast<int>(id)) != nullptr;
    const bool midi =
        id == kProgramParameter || (id >= kFirstMidiParameter && id < kFirstMidiParameter + kMidiParameterCount);
    if (!ours && !midi) continue;
    const int32 pointCount = queue->getPointCount();
    for (int32 p = 0; p < pointCount; ++p) {
      int32 offset = 0;
      double value = 0;
      if (queue->getPoint(p, offset, value) != kResultOk) continue;
      offset = std::clamp(offset, 0, frames);
      if (!(value == value)) value = 0;
      if (midi) {
        ReceiveMidiParameter(id, offset, value);
      } else if (count < kMaxPoints) {
        points_[count] = {offset, count, id, value};
        ++count;
      } else {
        ApplyHostValue(static_cast<int>(id), value);  // no room: at the start
      }
    }
  }
  // In the order the block meets them; a queue's own points keep theirs.
  std::sort(points_, points_ + count, [](const Point& a, const Point& b) {
    return a.offset != b.offset ? a.offset < b.offset : a.sequence < b.sequence;
  });
  return count;
}

// -- the render ----------------------------------------------------------------------------------

// Frames [from, to) of the call into the host's output: a 64-bit pair is
// rendered into directly, anything else through the scratch channels.
void Vst3Plugin::RenderRange(ProcessData& data, int32 from, int32 to) {
  AudioBusBuffers* output = data.numOutputs > 0 ? data.outputs : nullptr;
  const bool wide = data.symbolicSampleSize == kSample64;
  while (from < to) {
    const int32 n = std::min(to - from, static_cast<int32>(maxFrames_));
    double* channels[2] = {scratch_[0].data(), scratch_[1].data()};
    const bool direct = output && wide && output->numChannels >= 2 && output->channelBuffers64 &&
                        output->channelBuffers64[0] && output->channelBuffers64[1];
    if (direct) {
      channels[0] = output->channelBuffers64[0] + from;
      channels[1] = output->channelBuffers64[1] + from;
    }
    instrument_->RenderBlock(channels[0], channels[1], n);
    if (output && !direct && output->channelBuffers32) {
      for (int32 c = 0; c < output->numChannels; ++c) {
        const double* source = scratch_[c < 2 ? c : 1].data();
        if (wide) {
          if (double* target = output->channelBuffers64[c]) std::copy(source, source + n, target + from);
        } else if (float* target = output->channelBuffers32[c]) {
          for (int32 s = 0; s < n; ++s) target[from + s] = static_cast<float>(source[s]);
        }
      }
    }
    from += n;
  }
}

tresult Vst3Plugin::process(ProcessData& data) {
  if (data.numSamples < 0 || (data.numSamples > 0 && !active_)) return kResultFalse;
  Vst3Plugin* const outer = processing_;
  processing_ = this;
  current_ = &data;
  const int32 frames = data.numSamples;
  Kestrion& instrument = *instrument_;

  // Notes and controllers go to the intake with their offsets, in the
  // order the block meets them (a controller before a note at its offset);
  // the instrument places them on its control ticks as for every format.
  midiCount_ = 0;
  const int pointCount = GatherPoints(data.inputParameterChanges, frames);
  int nextMessage = 0;
  if (IEventList* events = data.inputEvents) {
    const int32 count = events->getEventCount();
    for (int32 i = 0; i < count; ++i) {
      Event event{};
      if (events->getEvent(i, event) != kResultOk || event.sampleOffset < 0 ||
          event.sampleOffset >= std::max(frames, 1))
        continue;
      while (nextMessage < midiCount_ && midiMessages_[nextMessage].offset <= event.sampleOffset)
        instrument.ReceiveMidi(midiMessages_[nextMessage++]);
      ReceiveEvent(event);
    }
  }
  while (nextMessage < midiCount_) instrument.ReceiveMidi(midiMessages_[nextMessage++]);

  if (frames == 0) {
    // A parameter flush: the values are taken, nothing is rendered.
    for (int i = 0; i < pointCount; ++i) ApplyHostValue(static_cast<int>(points_[i].id), points_[i].value);
  } else {
    const unsigned programChanges = instrument.PresetChanges();
    if (!instrument.BeginProcess()) {
      AudioBusBuffers* output = data.numOutputs > 0 ? data.outputs : nullptr;
      for (int32 c = 0; output && output->channelBuffers32 && c < output->numChannels; ++c) {
        if (data.symbolicSampleSize == kSample64) {
          if (output->channelBuffers64[c])
            std::fill(output->channelBuffers64[c], output->channelBuffers64[c] + frames, 0.0);
        } else if (output->channelBuffers32[c]) {
          std::fill(output->channelBuffers32[c], output->channelBuffers32[c] + frames, 0.0f);
        }
      }
      for (int i = 0; i < pointCount; ++i) ApplyHostValue(static_cast<int>(points_[i].id), points_[i].value);
    } else {
      {
        ScopedFlushDenormals flush;
        if (resetPending_.exchange(false, std::memory_order_acq_rel)) instrument.ResetProcessing();
        // Values take effect at their offsets: the block is rendered up to
        // each, then the engine takes the value.
        int32 done = 0;
        for (int i = 0; i < pointCount; ++i) {
          if (points_[i].offset > done) {
            RenderRange(data, done, points_[i].offset);
            done = points_[i].offset;
          }
          ApplyHostValue(static_cast<int>(points_[i].id), points_[i].value);
          instrument.TakeParameterChanges();
        }
        RenderRange(data, done, frames);
      }
      if (data.numOutputs > 0 && data.outputs) data.outputs->silenceFlags = 0;
      instrument.EndProcess();
      // A program change by MIDI, by the program parameter in a block or by
      // the host on its UI thread changed every value: the host hears of each.
      if (instrument.PresetChanges() != programChanges || reportPending_.exchange(false, std::memory_order_acq_rel))
        ReportAllValues();
    }
  }
  current_ = nullptr;
  processing_ = outer;
  return kResultOk;
}

// -- what goes out -------------------------------------------------------------------------------

void Vst3Plugin::AddOutputPoint(ParamID id, double normalised) {
  IParameterChanges* out = current_ ? current_->outputParameterChanges : nullptr;
  if (!out) return;
  int32 index = 0;
  IParamValueQueue* queue = out->addParameterData(id, index);
  if (queue) queue->addPoint(0, normalised, index);
}

void Vst3Plugin::ReportAllValues() {
  for (int i = 0; i < Kestrion::kParameterCount; ++i) AddOutputPoint(static_cast<ParamID>(i), NormalisedOf(i));
  AddOutputPoint(kProgramParameter, NormalisedOf(kProgramParameter));
}

void Vst3Plugin::ReadTransport(HostTimeInfo& info) {
  const ProcessContext* context = current_ ? current_->processContext : nullptr;
  if (!context) return;
  const uint32 state = context->state;
  // A field is taken only when the host marks it and it makes sense; NaN
  // fails every comparison below.
  if ((state & ProcessContext::kTempoValid) && context->tempo > 0) info.tempo = context->tempo;
  if ((state & ProcessContext::kProjectTimeMusicValid) && context->projectTimeMusic >= 0)
    info.quarterNotePosition = context->projectTimeMusic;
  if ((state & ProcessContext::kBarPositionValid) && context->barPositionMusic >= 0)
    info.lastBarStart = context->barPositionMusic;
  if ((state & ProcessContext::kCycleValid) && context->cycleStartMusic >= 0 && context->cycleEndMusic >= 0) {
    info.cycleStart = context->cycleStartMusic;
    info.cycleEnd = context->cycleEndMusic;
  }
  if (context->projectTimeSamples >= 0) info.samplePosition = static_cast<double>(context->projectTimeSamples);
  if ((state & ProcessContext::kTimeSigValid) && context->timeSigNumerator > 0 && context->timeSigDenominator > 0) {
    info.numerator = context->timeSigNumerator;
    info.denominator = context->timeSigDenominator;
  }
  info.playing = (state & ProcessContext::kPlaying) != 0;
  info.looping = (state & ProcessContext::kCycleActive) != 0;
}

// MIDI Thru: notes and pressure as events, the rest as the interface's
// controller events on the event output.
bool Vst3Plugin::SendMidi(const MidiEvent& message) {
  IEventList* out = InProcess() && current_ ? current_->outputEvents : nullptr;
  if (!out) return false;
  Event event{};
  event.busIndex = 0;
  event.sampleOffset = std::max(message.offset, 0);
  const auto channel = static_cast<int16>(message.status & 0x0F);
  switch (message.status & 0xF0) {
    case midi::kNoteOn:
      if (message.data2 > 0) {
        event.type = Event::kNoteOnEvent;
        event.noteOn = {channel, message.data1, 0.0f, message.data2 / 127.0f, 0, -1};
        break;
      }
      [[fallthrough]];
    case midi::kNoteOff:
      event.type = Event::kNoteOffEvent;
      event.noteOff = {channel, message.data1, message.data2 / 127.0f, -1, 0.0f};
      break;
    case midi::kPolyPressure:
      event.type = Event::kPolyPressureEvent;
      event.polyPressure = {channel, message.data1, message.data2 / 127.0f, -1};
      break;
    case midi::kControlChange:
      event.type = Event::kLegacyMIDICCOutEvent;
      event.midiCCOut = {message.data1, static_cast<int8>(channel), static_cast<int8>(message.data2), 0};
      break;
    case midi::kChannelPressure:
      event.type = Event::kLegacyMIDICCOutEvent;
      event.midiCCOut = {static_cast<uint8>(kAfterTouch), static_cast<int8>(channel), static_cast<int8>(message.data1),
                         0};
      break;
    case midi::kPitchBend:
      event.type = Event::kLegacyMIDICCOutEvent;
      event.midiCCOut = {static_cast<uint8>(kPitchBend), static_cast<int8>(channel), static_cast<int8>(message.data1),
                         static_cast<int8>(message.data2)};
      break;
    case midi::kProgramChange:
      event.type = Event::kLegacyMIDICCOutEvent;
      event.midiCCOut = {static_cast<uint8>(kCtrlProgramChange), static_cast<int8>(channel),
                         static_cast<int8>(message.data1), 0};
      break;
    default: return false;  // system messages have no event here
  }
  return out->addEvent(event) == kResultOk;
}
