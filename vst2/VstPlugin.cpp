// Construction of the effect record around a new instrument, and the
// requests the instrument sends to the host. The dispatcher, the state
// chunk and the audio callbacks have their own files (VstDispatcher.cpp,
// VstChunk.cpp, VstProcess.cpp).
#include "vst2/VstPlugin.h"

#include <mutex>

#include "instrument/panel/PanelEditor.h"
#include "instrument/panel/PanelLayout.h"
#include "ui/Editor.h"

using namespace vst;

VstPlugin::VstPlugin(AudioMasterCallback host, EditorFactory makeEditor)
    : host_(host),
      makeEditor_(makeEditor),
      programChunk_(StateBuffer::kGranularity),
      bankChunk_(StateBuffer::kGranularity) {
  const EffectIdentity& identity = Kestrion::kIdentity;
  effect_.magic = kEffectMagic;
  effect_.dispatcher = &VSTDispatcher;
  effect_.process = &VSTProcess;
  effect_.processReplacing = &VSTProcessReplacing;
  effect_.processDoubleReplacing = &VSTProcessDoubleReplacing;
  effect_.setParameter = &VSTSetParameter;
  effect_.getParameter = &VSTGetParameter;
  effect_.numPrograms = identity.presetCount > 0 ? identity.presetCount : 1;
  effect_.numParams = identity.parameterCount;
  effect_.numInputs = kInputCount;
  effect_.numOutputs = kOutputCount;
  effect_.flags =
      effFlagsCanReplacing | effFlagsCanDoubleReplacing | effFlagsProgramChunks | effFlagsIsSynth | effFlagsHasEditor;
  effect_.initialDelay = identity.latency;
  effect_.ioRatio = 1.0f;
  effect_.object = this;
  effect_.uniqueID = static_cast<VstInt32>(identity.uniqueId);
  inputArrangement_.type = kSpeakerArrEmpty;
  inputArrangement_.numChannels = kInputCount;
  outputArrangement_.type = kSpeakerArrStereo;
  outputArrangement_.numChannels = kOutputCount;
  ChangeBlockSize(1024);

  // The instrument may call the host while it loads its startup bank: the
  // record above is complete by then.
  instrument_ = std::make_unique<Kestrion>(*this);
  effect_.version = instrument_->VersionDecimal();
  instrument_->ChangeBlockSize(blockSize_);
  // The editor itself is made when the host opens it.
  editorRect_ = {0, 0, static_cast<VstInt16>(panel::kPanelHeight), static_cast<VstInt16>(panel::kPanelWidth)};
}

// The editor goes first: its controls point at the instrument. A host that
// never closed it has its thread stopped here, before the panel goes.
VstPlugin::~VstPlugin() {
  if (editor_) editor_->Window().CloseWindow();
  editor_.reset();
  instrument_.reset();
  effect_.object = nullptr;
}

VstIntPtr VstPlugin::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return host_ ? host_(&effect_, opcode, index, value, ptr, opt) : 0;
}

void VstPlugin::ChangeBlockSize(int frames) {
  if (frames == blockSize_) return;
  for (int i = 0; i < kOutputCount; ++i) {
    OutputChannel& channel = outputs_[i];
    channel.scratch.assign(static_cast<size_t>(frames), 0.0);
    // Unconnected channels render into their scratch: keep them pointing at
    // the new storage.
    if (!channel.connected) outputPointers_[i] = channel.scratch.data();
  }
  blockSize_ = frames;
  if (instrument_) instrument_->ChangeBlockSize(frames);
}

// -- host requests -----------------------------------------------------------

void VstPlugin::BeginEdit(int index) { CallHost(audioMasterBeginEdit, index); }

void VstPlugin::PerformEdit(int index, double normalised) {
  CallHost(audioMasterAutomate, index, 0, nullptr, static_cast<float>(normalised));
}

void VstPlugin::EndEdit(int index) { CallHost(audioMasterEndEdit, index); }

void VstPlugin::ProgramListChanged() { CallHost(audioMasterUpdateDisplay); }

void VstPlugin::ReadTransport(HostTimeInfo& info) {
  constexpr VstInt32 kWanted = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;
  auto* time = reinterpret_cast<VstTimeInfo*>(CallHost(audioMasterGetTime, 0, kWanted));
  if (!time || !(time->flags & kWanted)) return;
  // A field is taken only when the host marks it valid and it makes sense;
  // std::isfinite is not needed: NaN fails every comparison below.
  info.samplePosition = time->samplePos;
  if ((time->flags & kVstTempoValid) && time->tempo > 0) info.tempo = time->tempo;
  if ((time->flags & kVstPpqPosValid) && time->ppqPos >= 0) info.quarterNotePosition = time->ppqPos;
  if ((time->flags & kVstBarsValid) && time->barStartPos >= 0) info.lastBarStart = time->barStartPos;
  if ((time->flags & kVstCyclePosValid) && time->cycleStartPos >= 0 && time->cycleEndPos >= 0) {
    info.cycleStart = time->cycleStartPos;
    info.cycleEnd = time->cycleEndPos;
  }
  if ((time->flags & kVstTimeSigValid) && time->timeSigNumerator > 0 && time->timeSigDenominator > 0) {
    info.numerator = time->timeSigNumerator;
    info.denominator = time->timeSigDenominator;
  }
  info.playing = (time->flags & kVstTransportPlaying) != 0;
  info.looping = (time->flags & kVstTransportCycleActive) != 0;
}

bool VstPlugin::SendMidi(const MidiEvent& event) {
  VstMidiEvent midi{};
  midi.type = kVstMidiType;
  midi.byteSize = sizeof(VstMidiEvent);
  midi.deltaFrames = event.offset;
  midi.midiData[0] = static_cast<char>(event.status);
  midi.midiData[1] = static_cast<char>(event.data1);
  midi.midiData[2] = static_cast<char>(event.data2);
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&midi);
  return CallHost(audioMasterProcessEvents, 0, 0, &events) == 1;
}

// -- instances ---------------------------------------------------------------

AEffect* CreateKestrion(AudioMasterCallback host, EditorFactory makeEditor) {
  // A function-local static is created thread-safely on first use.
  static std::mutex creationLock;
  std::lock_guard<std::mutex> lock(creationLock);
  VstPlugin* plugin = nullptr;
  try {
    plugin = new VstPlugin(host, makeEditor);
  } catch (...) {
    return nullptr;  // out of memory or a failed resource: no instance
  }
  Kestrion& instrument = plugin->Instrument();
  instrument.FillEmptyPresets(instrument.PresetCount());
  return plugin->EffectRecord();
}

Kestrion* InstrumentOf(AEffect* effect) {
  VstPlugin* plugin = VstPlugin::FromRecord(effect);
  return plugin ? &plugin->Instrument() : nullptr;
}

panel::PanelEditor* EditorOf(AEffect* effect) {
  VstPlugin* plugin = VstPlugin::FromRecord(effect);
  return plugin ? plugin->Editor() : nullptr;
}
