// The audio path as a CLAP host drives it: notes and MIDI into the
// instrument's MIDI intake, parameter values at their offsets, the
// transport, and the render into the host's 32- or 64-bit buffers.
#include <algorithm>

#include "clap/ClapPlugin.h"
#include "plugin/FloatControl.h"

using namespace clap;

namespace {

constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kAllNotesOff = 123;
constexpr int kChannels = 16;

bool IsCore(const clap_event_header& event) { return event.space_id == CLAP_CORE_EVENT_SPACE_ID; }

}  // namespace

clap_process_status ClapPlugin::Process(const clap_plugin* plugin, const clap_process* process) {
  ClapPlugin* self = From(plugin);
  if (!self || !process) return CLAP_PROCESS_ERROR;
  ClapPlugin* const outer = processing_;
  processing_ = self;
  const clap_process_status status = self->Render(*process);
  processing_ = outer;
  return status;
}

void ClapPlugin::ReceiveNoteEvent(const clap_event_header& header) {
  MidiEvent message;
  message.offset = static_cast<std::int32_t>(header.time);
  switch (header.type) {
    case CLAP_EVENT_NOTE_ON:
    case CLAP_EVENT_NOTE_OFF:
    case CLAP_EVENT_NOTE_CHOKE: {
      if (header.size < sizeof(clap_event_note)) return;
      const auto& note = reinterpret_cast<const clap_event_note&>(header);
      if (note.port_index > 0 || note.channel >= kChannels || note.key > 127) return;
      const bool on = header.type == CLAP_EVENT_NOTE_ON;
      if (note.key < 0 || note.channel < 0) {
        // A wildcard ends every note it matches: all notes off on its channels.
        if (on) return;
        for (int channel = 0; channel < kChannels; ++channel) {
          if (note.channel >= 0 && channel != note.channel) continue;
          if (note.key >= 0) {
            message.status = static_cast<std::uint8_t>(kNoteOff | channel);
            message.data1 = static_cast<std::uint8_t>(note.key);
            message.data2 = 0;
          } else {
            message.status = static_cast<std::uint8_t>(kControlChange | channel);
            message.data1 = kAllNotesOff;
            message.data2 = 0;
          }
          instrument_->ReceiveMidi(message);
        }
        return;
      }
      message.status = static_cast<std::uint8_t>((on ? kNoteOn : kNoteOff) | note.channel);
      message.data1 = static_cast<std::uint8_t>(note.key);
      message.data2 = header.type == CLAP_EVENT_NOTE_CHOKE ? 0 : MidiVelocity(note.velocity, on);
      instrument_->ReceiveMidi(message);
      return;
    }
    case CLAP_EVENT_MIDI: {
      if (header.size < sizeof(clap_event_midi)) return;
      const auto& midi = reinterpret_cast<const clap_event_midi&>(header);
      if (midi.port_index != 0) return;
      message.status = midi.data[0];
      message.data1 = midi.data[1];
      message.data2 = midi.data[2];
      instrument_->ReceiveMidi(message);
      return;
    }
    default: return;  // system exclusive, MIDI 2 and note expressions mean nothing here
  }
}

// Frames [from, to) of the call, into the host's buffers: a 64-bit pair is
// rendered into directly, anything else through the scratch channels.
void ClapPlugin::RenderRange(const clap_process& process, std::uint32_t from, std::uint32_t to) {
  const clap_audio_buffer* output = process.audio_outputs_count > 0 ? process.audio_outputs : nullptr;
  while (from < to) {
    const std::uint32_t n = std::min(to - from, maxFrames_);
    double* channels[2] = {scratch_[0].data(), scratch_[1].data()};
    const bool direct =
        output && output->data64 && output->channel_count >= 2 && output->data64[0] && output->data64[1];
    if (direct) {
      channels[0] = output->data64[0] + from;
      channels[1] = output->data64[1] + from;
    }
    instrument_->RenderBlock(channels[0], channels[1], static_cast<int>(n));
    if (output && !direct) {
      for (std::uint32_t c = 0; c < output->channel_count; ++c) {
        const double* source = scratch_[c < 2 ? c : 1].data();
        if (output->data32 && output->data32[c]) {
          float* target = output->data32[c] + from;
          for (std::uint32_t s = 0; s < n; ++s) target[s] = static_cast<float>(source[s]);
        } else if (output->data64 && output->data64[c]) {
          std::copy(source, source + n, output->data64[c] + from);
        }
      }
    }
    from += n;
  }
}

clap_process_status ClapPlugin::Render(const clap_process& process) {
  if (maxFrames_ == 0) return CLAP_PROCESS_ERROR;  // not activated
  current_ = &process;
  currentOut_ = process.out_events && process.out_events->try_push ? process.out_events : nullptr;
  const clap_input_events* in =
      process.in_events && process.in_events->size && process.in_events->get ? process.in_events : nullptr;
  const std::uint32_t eventCount = in ? in->size(in) : 0;
  const std::uint32_t frames = process.frames_count;

  // Notes and MIDI go to the intake with their offsets; the instrument
  // places them on its control ticks as it does for every format.
  for (std::uint32_t i = 0; i < eventCount; ++i) {
    const clap_event_header* event = in->get(in, i);
    if (event && IsCore(*event) && event->time < std::max(frames, 1u)) ReceiveNoteEvent(*event);
  }

  Kestrion& instrument = *instrument_;
  const unsigned programChanges = instrument.PresetChanges();
  if (!instrument.BeginProcess()) {
    for (std::uint32_t c = 0; process.audio_outputs_count > 0 && c < process.audio_outputs->channel_count; ++c) {
      const clap_audio_buffer& output = *process.audio_outputs;
      if (output.data32 && output.data32[c]) std::fill(output.data32[c], output.data32[c] + frames, 0.0f);
      if (output.data64 && output.data64[c]) std::fill(output.data64[c], output.data64[c] + frames, 0.0);
    }
    current_ = nullptr;
    currentOut_ = nullptr;
    return CLAP_PROCESS_CONTINUE;
  }
  {
    ScopedFlushDenormals flush;
    if (resetPending_.exchange(false, std::memory_order_acq_rel)) instrument.ResetProcessing();
    // Parameter values take effect at their offsets: the block is rendered
    // up to each, then the engine takes the value.
    std::uint32_t done = 0;
    for (std::uint32_t i = 0; i < eventCount; ++i) {
      const clap_event_header* event = in->get(in, i);
      if (!event || !IsCore(*event) || event->type != CLAP_EVENT_PARAM_VALUE ||
          event->size < sizeof(clap_event_param_value))
        continue;
      const std::uint32_t at = std::min(event->time, frames);
      if (at > done) {
        RenderRange(process, done, at);
        done = at;
      }
      const auto* value = reinterpret_cast<const clap_event_param_value*>(event);
      ApplyHostValue(value->param_id, value->value);
      instrument.TakeParameterChanges();
    }
    RenderRange(process, done, frames);
  }
  if (process.audio_outputs_count > 0) process.audio_outputs->constant_mask = 0;
  SendEdits(currentOut_);
  instrument.EndProcess();
  // A program change by MIDI changed every value: the host reads them again.
  if (instrument.PresetChanges() != programChanges) ProgramListChanged();
  current_ = nullptr;
  currentOut_ = nullptr;
  return CLAP_PROCESS_CONTINUE;
}

// -- what the instrument asks during a process call ----------------------------------

void ClapPlugin::ReadTransport(HostTimeInfo& info) {
  const clap_event_transport* transport = current_ ? current_->transport : nullptr;
  if (!transport) return;
  const std::uint32_t flags = transport->flags;
  // A field is taken only when the host marks it and it makes sense; NaN
  // fails every comparison below.
  if ((flags & CLAP_TRANSPORT_HAS_TEMPO) && transport->tempo > 0) info.tempo = transport->tempo;
  if (flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE) {
    const double beats = static_cast<double>(transport->song_pos_beats) / CLAP_BEATTIME_FACTOR;
    const double barStart = static_cast<double>(transport->bar_start) / CLAP_BEATTIME_FACTOR;
    if (beats >= 0) info.quarterNotePosition = beats;
    if (barStart >= 0) info.lastBarStart = barStart;
    const double loopStart = static_cast<double>(transport->loop_start_beats) / CLAP_BEATTIME_FACTOR;
    const double loopEnd = static_cast<double>(transport->loop_end_beats) / CLAP_BEATTIME_FACTOR;
    if (loopStart >= 0 && loopEnd >= 0) {
      info.cycleStart = loopStart;
      info.cycleEnd = loopEnd;
    }
  }
  if (flags & CLAP_TRANSPORT_HAS_SECONDS_TIMELINE)
    info.samplePosition =
        static_cast<double>(transport->song_pos_seconds) / CLAP_SECTIME_FACTOR * instrument_->SampleRate();
  if ((flags & CLAP_TRANSPORT_HAS_TIME_SIGNATURE) && transport->tsig_num > 0 && transport->tsig_denom > 0) {
    info.numerator = transport->tsig_num;
    info.denominator = transport->tsig_denom;
  }
  info.playing = (flags & CLAP_TRANSPORT_IS_PLAYING) != 0;
  info.looping = (flags & CLAP_TRANSPORT_IS_LOOP_ACTIVE) != 0;
}

bool ClapPlugin::SendMidi(const MidiEvent& event) {
  if (!InProcess() || !currentOut_) return false;
  clap_event_midi midi{};
  midi.header = {sizeof midi, static_cast<std::uint32_t>(std::max(event.offset, 0)), CLAP_CORE_EVENT_SPACE_ID,
                 CLAP_EVENT_MIDI, 0};
  midi.port_index = 0;
  midi.data[0] = event.status;
  midi.data[1] = event.data1;
  midi.data[2] = event.data2;
  return currentOut_->try_push(currentOut_, &midi.header);
}
