// The instance around a new instrument: features, ports, the run call,
// MIDI in and out, the transport, and the state.
#include "lv2/Lv2Plugin.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>

#include "dsp/MidiMessage.h"
#include "plugin/FloatControl.h"

namespace {

const void* FindFeature(const LV2_Feature* const* features, const char* uri) {
  for (const LV2_Feature* const* f = features; f && *f; ++f)
    if (std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
  return nullptr;
}

bool IsContinuous(const EffectParameter& parameter) { return parameter.kind == EffectParameter::kContinuous; }

float PortValue(const EffectParameter& parameter) {
  return static_cast<float>(IsContinuous(parameter) ? parameter.ToNormalized() : double(parameter.value));
}

bool Same(float a, float b) { return a == b || (a != a && b != b); }

// The saved port values: 70 little-endian IEEE floats.
constexpr std::size_t kPortsBytes = 4 * Kestrion::kParameterCount;

}  // namespace

Lv2Plugin::Lv2Plugin(double rate, const LV2_Feature* const* features, EditorFactory makeEditor)
    : makeEditor_(makeEditor), rate_(rate > 0 ? rate : 44100), stateBuffer_(StateBuffer::kGranularity) {
  map_ = static_cast<LV2_URID_Map*>(const_cast<void*>(FindFeature(features, LV2_URID__map)));
  if (!map_) throw std::runtime_error("the host maps no URIs");
  log_ = static_cast<LV2_Log_Log*>(const_cast<void*>(FindFeature(features, LV2_LOG__log)));
  auto map = [this](const char* uri) { return map_->map(map_->handle, uri); };
  uris_ = {map(LV2_ATOM__Sequence),       map(LV2_ATOM__Object),          map(LV2_ATOM__Blank),
           map(LV2_ATOM__Float),          map(LV2_ATOM__Double),          map(LV2_ATOM__Int),
           map(LV2_ATOM__Long),           map(LV2_ATOM__Chunk),           map(LV2_MIDI__MidiEvent),
           map(LV2_TIME__Position),       map(LV2_TIME__beatsPerMinute),  map(LV2_TIME__bar),
           map(LV2_TIME__barBeat),        map(LV2_TIME__beatsPerBar),     map(LV2_TIME__beatUnit),
           map(LV2_TIME__speed),          map(LV2_TIME__frame),           map(LV2_BUF_SIZE__maxBlockLength),
           map(KESTRION_LV2_URI "#bank"), map(KESTRION_LV2_URI "#ports"), map(LV2_LOG__Warning)};
  // The largest block, when the host names it.
  if (const auto* options = static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options)))
    for (const LV2_Options_Option* o = options; o->key; ++o)
      if (o->key == uris_.maxBlockLength && o->type == uris_.atomInt && o->size == sizeof(std::int32_t)) {
        const std::int32_t frames = *static_cast<const std::int32_t*>(o->value);
        if (frames > 0) maxFrames_ = std::min(static_cast<std::uint32_t>(frames), kMaxBlockSize);
      }
  for (std::vector<double>& channel : scratch_) channel.assign(maxFrames_, 0.0);

  instrument_ = std::make_unique<Kestrion>(*this);
  instrument_->FillEmptyPresets(instrument_->PresetCount());
  {
    EffectBase::Lock lock(*instrument_);
    instrument_->ChangeSampleRate(rate_);
    instrument_->ChangeBlockSize(static_cast<int>(maxFrames_));
  }
  ExpectDefaults();
  for (int i = 0; i < Kestrion::kParameterCount; ++i) {
    lastSeen_[i] = expectedPorts_[i];
    hostValues_[i].store(lastSeen_[i], std::memory_order_relaxed);
    gesturesBegun_[i].store(0, std::memory_order_relaxed);
    gesturesEnded_[i].store(0, std::memory_order_relaxed);
  }
}

// The mutex belongs to the instrument: it must be free before it goes.
Lv2Plugin::~Lv2Plugin() {
  { EffectBase::Lock lock(*instrument_); }
  instrument_.reset();
}

void Lv2Plugin::ConnectPort(std::uint32_t port, void* data) {
  switch (port) {
    case kControlIn: controlIn_ = static_cast<const LV2_Atom_Sequence*>(data); break;
    case kMidiThru: midiThru_ = static_cast<LV2_Atom_Sequence*>(data); break;
    case kLeftOut: outputs_[0] = static_cast<float*>(data); break;
    case kRightOut: outputs_[1] = static_cast<float*>(data); break;
    default:
      if (port >= kFirstParameter && port < kPortCount) parameters_[port - kFirstParameter] = static_cast<float*>(data);
  }
}

void Lv2Plugin::Activate() {
  EffectBase::Lock lock(*instrument_);
  instrument_->ResetProcessing();
  instrument_->ActivationChanged(true);
}

void Lv2Plugin::Deactivate() {
  EffectBase::Lock lock(*instrument_);
  instrument_->ActivationChanged(false);
  instrument_->ResetProcessing();
}

// -- values --------------------------------------------------------------------------

float Lv2Plugin::PortValueOf(int index) const {
  const EffectParameter* parameter = instrument_->Parameter(index);
  return parameter ? PortValue(*parameter) : 0;
}

// The bundle's defaults are the factory bank's first program: the instance
// holds it unless a startup bank replaced it.
void Lv2Plugin::ExpectDefaults() {
  for (int i = 0; i < Kestrion::kParameterCount; ++i) expectedPorts_[i] = PortValueOf(i);
  if (instrument_->StartupBankPath().empty()) return;
  SilentHostLink silent;
  try {
    Kestrion factory(silent);
    factory.LoadFactoryBank();
    EffectBase::Lock lock(factory);
    factory.ActivatePreset(0);
    for (int i = 0; i < Kestrion::kParameterCount; ++i) expectedPorts_[i] = PortValue(*factory.Parameter(i));
  } catch (...) {
    // The instance's own values, then.
  }
}

void Lv2Plugin::ApplyPortValue(int index, float value) {
  EffectParameter* parameter = instrument_->Parameter(index);
  if (!parameter) return;
  double normalised = value;
  if (!IsContinuous(*parameter)) normalised = parameter->ToNormalized(parameter->Clamp(std::nearbyint(value)));
  if (!(normalised > 0)) normalised = 0;  // NaN too
  if (normalised > 1) normalised = 1;
  instrument_->ShowOnEditor(index, normalised, true);
  parameter->SetFromNormalized(normalised);
  instrument_->ParameterChanged(index);
  instrument_->ParameterEditedByHost(index);
}

void Lv2Plugin::BeginEdit(int index) {
  if (index >= 0 && index < Kestrion::kParameterCount) gesturesBegun_[index].fetch_add(1, std::memory_order_acq_rel);
}

void Lv2Plugin::EndEdit(int index) {
  if (index >= 0 && index < Kestrion::kParameterCount) gesturesEnded_[index].fetch_add(1, std::memory_order_acq_rel);
}

// -- the run call ------------------------------------------------------------------------

void Lv2Plugin::Run(std::uint32_t frames) {
  Kestrion& instrument = *instrument_;
  running_ = true;
  // MIDI Thru's buffer: the host says its room in the atom's size.
  thruCapacity_ = 0;
  if (midiThru_) {
    thruCapacity_ = midiThru_->atom.size;
    lv2_atom_sequence_clear(midiThru_);
    midiThru_->atom.type = uris_.atomSequence;
  }

  ReadEvents(frames);

  const bool holding = instrument.BeginProcess();
  // The control ports that changed since the last look, at the block's
  // start; at the first look, those that hold another value than expected.
  const bool firstLook = firstLook_.exchange(false, std::memory_order_acq_rel);
  for (int i = 0; i < Kestrion::kParameterCount; ++i) {
    if (!parameters_[i]) continue;
    const float value = *parameters_[i];
    const float before = !firstLook ? lastSeen_[i] : portsAsSeen_ ? value : expectedPorts_[i];
    lastSeen_[i] = value;
    hostValues_[i].store(value, std::memory_order_relaxed);
    if (!Same(value, before)) ApplyPortValue(i, value);
  }
  if (holding) {
    instrument.TakeParameterChanges();
    {
      ScopedFlushDenormals flush;
      RenderInPieces(frames);
    }
    instrument.EndProcess();
  } else {
    for (float* output : outputs_)
      if (output) std::fill(output, output + frames, 0.0f);
  }
  // The transport moves on by the block, as the host will say next time.
  if (transport_.known && transport_.speed != 0) {
    transport_.beat += transport_.speed * frames / rate_ * transport_.tempo / 60 * transport_.beatUnit / 4;
    transport_.frame += transport_.speed * frames;
  }
  running_ = false;
}

void Lv2Plugin::RenderInPieces(std::uint32_t frames) {
  for (std::uint32_t done = 0; done < frames;) {
    const std::uint32_t n = std::min(frames - done, maxFrames_);
    instrument_->RenderBlock(scratch_[0].data(), scratch_[1].data(), static_cast<int>(n));
    for (int c = 0; c < 2; ++c)
      if (float* output = outputs_[c])
        for (std::uint32_t s = 0; s < n; ++s) output[done + s] = static_cast<float>(scratch_[c][s]);
    done += n;
  }
}

void Lv2Plugin::ReadEvents(std::uint32_t frames) {
  if (!controlIn_) return;
  LV2_ATOM_SEQUENCE_FOREACH(controlIn_, event) {
    const std::int64_t at = std::clamp<std::int64_t>(event->time.frames, 0, frames > 0 ? frames - 1 : 0);
    if (event->body.type == uris_.midiEvent) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
      if (event->body.size == 0 || event->body.size > 3 || !dsp::midi::IsChannelMessage(bytes[0])) continue;
      MidiEvent message;
      message.offset = static_cast<std::int32_t>(at);
      message.status = bytes[0];
      message.data1 = event->body.size > 1 ? bytes[1] : 0;
      message.data2 = event->body.size > 2 ? bytes[2] : 0;
      instrument_->ReceiveMidi(message);
    } else if ((event->body.type == uris_.atomObject || event->body.type == uris_.atomBlank) &&
               event->body.size >= sizeof(LV2_Atom_Object_Body)) {
      const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
      // A position inside the block counts from the next block.
      if (object->body.otype == uris_.timePosition) ReadPosition(object);
    }
  }
}

// -- the transport -----------------------------------------------------------------------

namespace {

bool NumberOf(const LV2_Atom* atom, LV2_URID floatType, LV2_URID doubleType, LV2_URID intType, LV2_URID longType,
              double* out) {
  if (!atom) return false;
  if (atom->type == floatType && atom->size >= sizeof(float))
    *out = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
  else if (atom->type == doubleType && atom->size >= sizeof(double))
    *out = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
  else if (atom->type == intType && atom->size >= sizeof(std::int32_t))
    *out = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
  else if (atom->type == longType && atom->size >= sizeof(std::int64_t))
    *out = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
  else
    return false;
  return std::isfinite(*out);
}

}  // namespace

void Lv2Plugin::ReadPosition(const LV2_Atom_Object* object) {
  const LV2_Atom *bpm = nullptr, *bar = nullptr, *barBeat = nullptr, *beatsPerBar = nullptr, *beatUnit = nullptr,
                 *speed = nullptr, *frame = nullptr;
  lv2_atom_object_get(object, uris_.timeBeatsPerMinute, &bpm, uris_.timeBar, &bar, uris_.timeBarBeat, &barBeat,
                      uris_.timeBeatsPerBar, &beatsPerBar, uris_.timeBeatUnit, &beatUnit, uris_.timeSpeed, &speed,
                      uris_.timeFrame, &frame, 0);
  auto number = [this](const LV2_Atom* atom, double* out) {
    return NumberOf(atom, uris_.atomFloat, uris_.atomDouble, uris_.atomInt, uris_.atomLong, out);
  };
  Transport& t = transport_;
  double value;
  if (number(bpm, &value) && value > 0) t.tempo = value;
  if (number(beatsPerBar, &value) && value > 0) t.beatsPerBar = value;
  if (number(beatUnit, &value) && value >= 1) t.beatUnit = static_cast<int>(value);
  if (number(speed, &value)) t.speed = value;
  if (number(frame, &value) && value >= 0) t.frame = value;
  double barNumber = 0, beatInBar = 0;
  const bool hasBar = number(bar, &barNumber) && barNumber >= 0;
  const bool hasBeat = number(barBeat, &beatInBar) && beatInBar >= 0;
  if (hasBar || hasBeat) t.beat = barNumber * t.beatsPerBar + beatInBar;
  t.known = true;
}

void Lv2Plugin::ReadTransport(HostTimeInfo& info) {
  if (!transport_.known) return;
  const Transport& t = transport_;
  // Beats of the bar's unit as quarter notes.
  const double quarters = 4.0 / t.beatUnit;
  info.tempo = t.tempo;
  info.quarterNotePosition = t.beat * quarters;
  info.lastBarStart = std::floor(t.beat / t.beatsPerBar + 1e-9) * t.beatsPerBar * quarters;
  info.samplePosition = t.frame;
  info.numerator = static_cast<int>(t.beatsPerBar);
  info.denominator = t.beatUnit;
  info.playing = t.speed != 0;
  info.looping = false;
}

// -- MIDI Thru ------------------------------------------------------------------------------

bool Lv2Plugin::SendMidi(const MidiEvent& message) {
  if (!running_ || !midiThru_ || thruCapacity_ == 0) return false;
  struct {
    LV2_Atom_Event header;
    std::uint8_t bytes[3];
  } event{};
  event.header.time.frames = std::max(message.offset, 0);
  const std::uint8_t kind = dsp::midi::KindOf(message.status);
  event.header.body.size = kind == dsp::midi::kProgramChange || kind == dsp::midi::kChannelPressure ? 2 : 3;
  event.header.body.type = uris_.midiEvent;
  event.bytes[0] = message.status;
  event.bytes[1] = message.data1;
  event.bytes[2] = message.data2;
  return lv2_atom_sequence_append_event(midiThru_, thruCapacity_, &event.header) != nullptr;
}

// -- state ----------------------------------------------------------------------------------

// The whole bank, byte for byte the bank chunk the other formats keep.
// Beside it, the values the host's ports held as run last saw them: a
// restore tells the host's stale values from its later changes by them.
LV2_State_Status Lv2Plugin::SaveState(LV2_State_Store_Function store, LV2_State_Handle handle) {
  if (!store) return LV2_STATE_ERR_UNKNOWN;
  if (!instrument_->WriteBankState(stateBuffer_)) return LV2_STATE_ERR_UNKNOWN;
  const LV2_State_Status status =
      store(handle, uris_.bankKey, stateBuffer_.Data(), static_cast<std::size_t>(stateBuffer_.Size()), uris_.atomChunk,
            LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
  if (status != LV2_STATE_SUCCESS) return status;
  std::uint8_t ports[kPortsBytes];
  for (int i = 0; i < Kestrion::kParameterCount; ++i) {
    const float value = hostValues_[i].load(std::memory_order_relaxed);
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int b = 0; b < 4; ++b) ports[4 * i + b] = static_cast<std::uint8_t>(bits >> (8 * b));
  }
  return store(handle, uris_.portsKey, ports, sizeof ports, uris_.atomChunk, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

// A value that does not read whole as a bank changes nothing.
LV2_State_Status Lv2Plugin::RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
  if (!retrieve) return LV2_STATE_ERR_UNKNOWN;
  std::size_t size = 0;
  std::uint32_t type = 0, flags = 0;
  const void* value = retrieve(handle, uris_.bankKey, &size, &type, &flags);
  if (!value) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != uris_.atomChunk) return LV2_STATE_ERR_BAD_TYPE;
  if (size == 0 || size > kMaxStateSize) return LV2_STATE_ERR_UNKNOWN;
  stateBuffer_.Clear();
  stateBuffer_.AppendBytes(value, static_cast<int>(size));
  if (stateBuffer_.Size() != static_cast<int>(size)) return LV2_STATE_ERR_UNKNOWN;
  if (!instrument_->ReadBankState(stateBuffer_)) {
    if (log_) log_->printf(log_->handle, uris_.logWarning, "Kestrion: the saved state is not a Kestrion bank\n");
    return LV2_STATE_ERR_UNKNOWN;
  }
  // The host's ports as they were saved, else as the bank left them; until
  // run looks, the host's ports count as holding the restored values: a UI
  // opened before that (MusE opens a restored editor at once) must not take
  // them for its own changes and send them to the host.
  // Without them (a bank alone), the ports' values count as seen: the bank wins.
  for (int i = 0; i < Kestrion::kParameterCount; ++i) expectedPorts_[i] = PortValueOf(i);
  const void* ports = retrieve(handle, uris_.portsKey, &size, &type, &flags);
  portsAsSeen_ = !(ports && type == uris_.atomChunk && size == kPortsBytes);
  if (!portsAsSeen_) {
    const auto* bytes = static_cast<const std::uint8_t*>(ports);
    for (int i = 0; i < Kestrion::kParameterCount; ++i) {
      std::uint32_t bits = 0;
      for (int b = 0; b < 4; ++b) bits |= std::uint32_t(bytes[4 * i + b]) << (8 * b);
      std::memcpy(&expectedPorts_[i], &bits, sizeof bits);
    }
  }
  for (int i = 0; i < Kestrion::kParameterCount; ++i) hostValues_[i].store(PortValueOf(i), std::memory_order_relaxed);
  firstLook_.store(true, std::memory_order_release);
  return LV2_STATE_SUCCESS;
}
