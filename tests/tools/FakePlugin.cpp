// A tiny VST 2.4 instrument for the host, renderer and validator tests: it
// records the calls it receives (FakePluginLog.h) and writes a known signal.
// Built in several forms that differ in how they present themselves to a
// host, and in the faults (FAKE_...) the validator must report.
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Export.h"
#include "tests/tools/FakePluginLog.h"
#include "vst2/VstAbi.h"

namespace {

using namespace fakeplugin;
using vst::VstInt32;
using vst::VstIntPtr;

const char* const kParameterNames[kParameterCount] = {"Gain", "Shape", "Offset"};
const char* const kShapeNames[] = {"Ramp", "Sawtooth", "Square"};
constexpr int kShapeCount = 3;
const char* const kProgramNames[kProgramCount] = {"First", "Second"};
constexpr std::size_t kNameBytes = 24;  // a program name's field in the chunks, with its terminator

struct Instance {
  vst::AEffect effect{};
  vst::AudioMasterCallback master = nullptr;
  std::recursive_mutex mutex;  // the dispatcher's, never taken on the audio thread
  std::atomic<float> normalised[kParameterCount] = {kDefaultGain, 0.0f, 0.5f};
  VstInt32 program = 0;
  char names[kProgramCount][kNameBytes] = {};
  std::vector<char> chunk;     // the last effGetChunk answer
  std::vector<float> scratch;  // one announced block, for the form that overruns it
  std::mutex workerMutex;
  std::condition_variable workerReady;
  bool workerStarted = false;  // waited for by the form that deadlocks; never set
  std::int64_t frame = 0;      // since switch-on
  Log log{};
};

Instance* From(vst::AEffect* effect) { return static_cast<Instance*>(effect->object); }

void CopyText(char* to, const char* from, std::size_t capacity) { std::snprintf(to, capacity, "%s", from); }

float Gain(const Instance& instance) { return instance.normalised[0]; }
int Shape(const Instance& instance) {
  return static_cast<int>(std::floor(instance.normalised[1] * (kShapeCount - 1) + 0.5f));
}
float Offset(const Instance& instance) { return instance.normalised[2] * 2.0f - 1.0f; }

double Sample(const Instance& instance, std::int64_t frame) {
  const double ramp = static_cast<double>(frame % kRampLength) / kRampLength;
  return Gain(instance) * ramp + Offset(instance);
}

void RecordBlock(Instance& instance, VstInt32 frames) {
  Log& log = instance.log;
  const auto* time = reinterpret_cast<const vst::VstTimeInfo*>(
      instance.master(&instance.effect, vst::audioMasterGetTime, 0, 0x3E00, nullptr, 0));
  if (log.blockCount >= kMaxBlocks) return;
  ProcessedBlock& block = log.blocks[log.blockCount++];
  block.frames = frames;
  block.hadTime = time != nullptr;
  if (time) block.time = *time;
}

template <typename Sample_t>
void Render(vst::AEffect* effect, Sample_t** outputs, VstInt32 frames) {
  Instance& instance = *From(effect);
#ifdef FAKE_LOCKS_IN_PROCESS
  // The fault the validator's lock watch must report.
  std::lock_guard<std::recursive_mutex> lock(instance.mutex);
#endif
#ifdef FAKE_DEADLOCKS
  // The fault its time limit must report: a wait for a worker never started.
  std::unique_lock<std::mutex> wait(instance.workerMutex);
  instance.workerReady.wait(wait, [&] { return instance.workerStarted; });
#endif
#ifdef FAKE_HANGS_AT_LOW_RATES
  // The fault its extreme rates must find: a control tick of a millisecond's
  // whole samples is none below 1 kHz, and the loop over ticks never ends.
  const auto tick = static_cast<VstInt32>(instance.log.sampleRate / 1000);
  for (volatile VstInt32 start = 0; start < frames; start = start + tick) {
  }
#endif
  RecordBlock(instance, frames);
  for (VstInt32 i = 0; i < frames; ++i) {
    const double value = Sample(instance, instance.frame + i);
#ifdef FAKE_OVERRUNS_LONG_BLOCKS
    // The fault its longer calls must find: the render goes through a buffer
    // of the announced block size, however long the call.
    instance.scratch.data()[i] = static_cast<float>(value);
#endif
    outputs[0][i] = static_cast<Sample_t>(value);
    outputs[1][i] = static_cast<Sample_t>(-value);
  }
  instance.frame += frames;
}

void ProcessReplacing(vst::AEffect* effect, float** /*inputs*/, float** outputs, VstInt32 frames) {
#ifdef FAKE_ALLOCATES_IN_PROCESS
  // The fault the validator's audio-thread watch must report; volatile so
  // that the compiler keeps the pair.
  void* volatile block = std::malloc(static_cast<std::size_t>(frames) + 1);
  std::free(block);
#endif
  Render(effect, outputs, frames);
}

void ProcessDoubleReplacing(vst::AEffect* effect, double** /*inputs*/, double** outputs, VstInt32 frames) {
  Render(effect, outputs, frames);
}

void SetParameter(vst::AEffect* effect, VstInt32 index, float value) {
  Instance& instance = *From(effect);
  std::lock_guard<std::recursive_mutex> lock(instance.mutex);
  if (index >= 0 && index < kParameterCount) instance.normalised[index] = value;
}

float GetParameter(vst::AEffect* effect, VstInt32 index) {
  Instance& instance = *From(effect);
  std::lock_guard<std::recursive_mutex> lock(instance.mutex);
  return index >= 0 && index < kParameterCount ? instance.normalised[index].load() : 0.0f;
}

void FormatDisplay(const Instance& instance, VstInt32 index, char* text) {
  if (index == 0) std::snprintf(text, 32, "%.2f", Gain(instance));
  if (index == 1) CopyText(text, kShapeNames[Shape(instance)], 32);
  if (index == 2) std::snprintf(text, 32, "%.3f", Offset(instance));
}

// Text in display units: a number for Gain and Offset, a value name for Shape.
bool TextToParameter(Instance& instance, VstInt32 index, const char* text) {
  if (index == 1) {
    for (int i = 0; i < kShapeCount; ++i) {
      if (std::strcmp(text, kShapeNames[i]) == 0) {
        instance.normalised[1] = static_cast<float>(i) / (kShapeCount - 1);
        return true;
      }
    }
    return false;
  }
  const double value = std::strtod(text, nullptr);
  if (index == 0) instance.normalised[0] = static_cast<float>(value < 0 ? 0 : value > 1 ? 1 : value);
  if (index == 2) {
    const double clamped = value < -1 ? -1 : value > 1 ? 1 : value;
    instance.normalised[2] = static_cast<float>((clamped + 1) / 2);
  }
  return true;
}

void RecordEvents(Instance& instance, const vst::VstEvents* events) {
  Log& log = instance.log;
  for (VstInt32 i = 0; i < events->numEvents && log.eventCount < kMaxEvents; ++i) {
    const vst::VstEvent* event = vst::EventEntries(*events)[i];
    ReceivedEvent& received = log.events[log.eventCount++];
    received = ReceivedEvent{};
    received.block = log.blockCount;
    received.type = event->type;
    received.deltaFrames = event->deltaFrames;
    if (event->type == vst::kVstMidiType) {
      const auto* midi = reinterpret_cast<const vst::VstMidiEvent*>(event);
      for (int b = 0; b < 3; ++b) received.bytes[b] = static_cast<std::uint8_t>(midi->midiData[b]);
    } else if (event->type == vst::kVstSysExType) {
      const auto* sysex = reinterpret_cast<const vst::VstMidiSysexEvent*>(event);
      received.dumpBytes = sysex->dumpBytes;
      if (sysex->dumpBytes > 0) {
        received.firstDumpByte = static_cast<std::uint8_t>(sysex->sysexDump[0]);
        received.lastDumpByte = static_cast<std::uint8_t>(sysex->sysexDump[sysex->dumpBytes - 1]);
      }
    }
  }
}

void EmitMidi(Instance& instance) {
  vst::VstMidiEvent note{};
  note.type = vst::kVstMidiType;
  note.byteSize = sizeof note;
  note.deltaFrames = 5;
  note.midiData[0] = static_cast<char>(0x90);
  note.midiData[1] = 60;
  note.midiData[2] = 100;
  char dump[] = {static_cast<char>(0xF0), 0x7D, 0x01, static_cast<char>(0xF7)};
  vst::VstMidiSysexEvent sysex{};
  sysex.type = vst::kVstSysExType;
  sysex.byteSize = sizeof sysex;
  sysex.deltaFrames = 9;
  sysex.dumpBytes = sizeof dump;
  sysex.sysexDump = dump;
  vst::VstEvents events{};
  events.numEvents = 2;
  events.events[0] = reinterpret_cast<vst::VstEvent*>(&note);
  events.events[1] = reinterpret_cast<vst::VstEvent*>(&sysex);
  instance.master(&instance.effect, vst::audioMasterProcessEvents, 0, 0, &events, 0);
}

// The chunks: a bank holds the current program, every program's name and
// the parameter values; a program its name and the values. Little-endian.
struct ChunkFields {
  VstInt32 program;
  char names[kProgramCount][kNameBytes];
  float values[kParameterCount];
};

void Append32(std::vector<char>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
}

std::uint32_t Read32(const char* in) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(in[i]);
  return value;
}

void WriteChunk(Instance& instance, bool bank) {
  std::vector<char>& out = instance.chunk;
  out.clear();
  if (bank) Append32(out, static_cast<std::uint32_t>(instance.program));
  for (int program = 0; program < kProgramCount; ++program) {
    const char* name = instance.names[program];
    if (bank || program == instance.program) out.insert(out.end(), name, name + kNameBytes);
  }
  for (const auto& value : instance.normalised) {
    const float number = value;
    std::uint32_t bits;
    std::memcpy(&bits, &number, sizeof bits);
    Append32(out, bits);
  }
}

// Reads the fields in file order, each checked, into `fields`; returns how
// many were read whole, and sets `whole` when the chunk was all valid.
int ReadChunk(const Instance& instance, const char* data, std::size_t size, bool bank, ChunkFields& fields,
              bool& whole) {
  std::size_t offset = 0;
  int read = 0;
  whole = false;
  if (bank) {
    if (size - offset < 4) return read;
    fields.program = static_cast<VstInt32>(Read32(data + offset));
    offset += 4;
    if (fields.program < 0 || fields.program >= kProgramCount) return read;
    ++read;
  }
  for (int program = 0; program < kProgramCount; ++program) {
    if (!bank && program != instance.program) continue;
#ifdef FAKE_OVERREADS_CUT_NAME
    // The fault the validator's cut chunks must find: the name's terminator
    // is looked for before the chunk is known to hold the name.
    if (!std::memchr(data + offset, 0, kNameBytes)) return read;
#endif
    if (size - offset < kNameBytes) return read;
    std::memcpy(fields.names[program], data + offset, kNameBytes);
    offset += kNameBytes;
    if (!std::memchr(fields.names[program], 0, kNameBytes)) return read;
    ++read;
  }
  for (float& value : fields.values) {
    if (size - offset < 4) return read;
    const std::uint32_t bits = Read32(data + offset);
    offset += 4;
    std::memcpy(&value, &bits, sizeof value);
    if (!(value >= 0 && value <= 1)) return read;
    ++read;
  }
  whole = offset == size;
  return read;
}

// Applies the first `count` fields, in file order.
void ApplyChunk(Instance& instance, const ChunkFields& fields, bool bank, int count) {
  int field = 0;
  if (bank && field++ < count) instance.program = fields.program;
  for (int program = 0; program < kProgramCount; ++program)
    if ((bank || program == instance.program) && field++ < count)
      std::memcpy(instance.names[program], fields.names[program], kNameBytes);
  for (int index = 0; index < kParameterCount; ++index)
    if (field++ < count) instance.normalised[index] = fields.values[index];
}

VstIntPtr SetChunk(Instance& instance, const char* data, std::size_t size, bool bank) {
  ChunkFields fields{};
  bool whole = false;
  const int read = ReadChunk(instance, data, size, bank, fields, whole);
#ifdef FAKE_APPLIES_REFUSED_CHUNK
  // The fault the validator must report: what was read of a chunk it
  // refuses is applied all the same.
  ApplyChunk(instance, fields, bank, read);
  return whole ? 1 : 0;
#endif
  if (!whole) return 0;
  ApplyChunk(instance, fields, bank, read);
  return 1;
}

VstIntPtr Dispatcher(vst::AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  Instance* instance = From(effect);
  if (opcode == vst::effClose) {
    delete instance;
    return 0;
  }
  // Events arrive on the audio thread, which takes no lock.
  std::unique_lock<std::recursive_mutex> lock(instance->mutex, std::defer_lock);
  if (opcode != vst::effProcessEvents) lock.lock();
  Log& log = instance->log;
  if (log.dispatchCount < kMaxDispatches) log.dispatches[log.dispatchCount++] = opcode;
  char* text = static_cast<char*>(ptr);

  switch (opcode) {
    case vst::effOpen:
      log.processLevelAtOpen = instance->master(effect, vst::audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0);
      return 0;
    case vst::effSetProgram:
      if (value >= 0 && value < kProgramCount) instance->program = static_cast<VstInt32>(value);
      return 0;
    case vst::effGetProgram: return instance->program;
    case vst::effGetProgramName: CopyText(text, instance->names[instance->program], kNameBytes); return 0;
    case vst::effSetProgramName:
      if (text) CopyText(instance->names[instance->program], text, kNameBytes);
      return 0;
    case vst::effGetProgramNameIndexed:
      if (index < 0 || index >= kProgramCount) return 0;
      CopyText(text, instance->names[index], kNameBytes);
      return 1;
    case vst::effGetChunk:
      if (!ptr) return 0;
      WriteChunk(*instance, index == 0);
      *static_cast<void**>(ptr) = instance->chunk.data();
      return static_cast<VstIntPtr>(instance->chunk.size());
    case vst::effSetChunk:
      if (!ptr || value < 0) return 0;
      return SetChunk(*instance, static_cast<const char*>(ptr), static_cast<std::size_t>(value), index == 0);
    case vst::effGetParamName:
    case vst::effGetParamLabel:
    case vst::effGetParamDisplay:
      if (index < 0 || index >= kParameterCount) return 0;
      if (opcode == vst::effGetParamName) CopyText(text, kParameterNames[index], 32);
      if (opcode == vst::effGetParamLabel) CopyText(text, index == 0 ? "x" : "", 32);
      if (opcode == vst::effGetParamDisplay) FormatDisplay(*instance, index, text);
      return 0;
    case vst::effString2Parameter: {
      if (index < 0 || index >= kParameterCount) return 0;
      if (!text) return 1;
      return TextToParameter(*instance, index, text) ? 1 : 0;
    }
    case vst::effSetSampleRate: log.sampleRate = opt; return 0;
    case vst::effSetBlockSize: log.blockSize = static_cast<std::int32_t>(value); return 0;
    case vst::effMainsChanged:
      if (value) {
        instance->frame = 0;
        instance->scratch = std::vector<float>(static_cast<std::size_t>(log.blockSize));
        log.sampleRateAtSwitchOn = instance->master(effect, vst::audioMasterGetSampleRate, 0, 0, nullptr, 0);
        log.blockSizeAtSwitchOn = instance->master(effect, vst::audioMasterGetBlockSize, 0, 0, nullptr, 0);
      }
      return 0;
    case vst::effProcessEvents:
      if (!ptr) return 0;
      RecordEvents(*instance, static_cast<const vst::VstEvents*>(ptr));
      return 1;
    case vst::effGetEffectName: CopyText(text, "Fake Synth", 64); return 1;
    case vst::effGetVendorString: CopyText(text, "Kestrion Tests", 64); return 1;
    case vst::effGetProductString: CopyText(text, "Fake", 64); return 1;
    case vst::effGetVendorVersion: return kVendorVersion;
    case vst::effGetPlugCategory: return vst::kPlugCategSynth;
    case vst::effCanDo: return text && std::strcmp(text, "receiveVstMidiEvent") == 0 ? 1 : 0;
    case vst::effVendorSpecific:
      if (index == kGetLog) return reinterpret_cast<VstIntPtr>(&instance->log);
      if (index == kEmitEdit) {
        const auto parameter = static_cast<VstInt32>(value);
        instance->master(effect, vst::audioMasterBeginEdit, parameter, 0, nullptr, 0);
        instance->master(effect, vst::audioMasterAutomate, parameter, 0, nullptr, opt);
        instance->master(effect, vst::audioMasterEndEdit, parameter, 0, nullptr, 0);
        return 1;
      }
      if (index == kEmitDisplay) return instance->master(effect, vst::audioMasterUpdateDisplay, 0, 0, nullptr, 0);
      if (index == kEmitMidi) {
        EmitMidi(*instance);
        return 1;
      }
      return 0;
    default: return 0;
  }
}

[[maybe_unused]] vst::AEffect* CreateInstance(vst::AudioMasterCallback master) {
  auto* instance = new Instance;
  instance->master = master;
  for (int program = 0; program < kProgramCount; ++program)
    CopyText(instance->names[program], kProgramNames[program], kNameBytes);
  vst::AEffect& effect = instance->effect;
  effect.magic = vst::kEffectMagic;
#ifdef FAKE_BAD_MAGIC
  // A host cannot close a record it does not trust; the module keeps it.
  static std::unique_ptr<Instance> abandoned;
  abandoned.reset(instance);
  effect.magic = 0x12345678;
#endif
  effect.dispatcher = Dispatcher;
  effect.setParameter = SetParameter;
  effect.getParameter = GetParameter;
  effect.processReplacing = ProcessReplacing;
  effect.processDoubleReplacing = ProcessDoubleReplacing;
  effect.numPrograms = kProgramCount;
  effect.numParams = kParameterCount;
  effect.numInputs = 0;
  effect.numOutputs = 2;
  effect.flags =
      vst::effFlagsCanReplacing | vst::effFlagsCanDoubleReplacing | vst::effFlagsIsSynth | vst::effFlagsProgramChunks;
  effect.ioRatio = 1.0f;
  effect.object = instance;
  effect.uniqueID = kUniqueId;
  effect.version = kVersion;

  // Asked as real plug-ins do while being created: before the host can know the record.
  instance->log.versionAtCreation = master(nullptr, vst::audioMasterVersion, 0, 0, nullptr, 0);
  master(&effect, vst::audioMasterGetVendorString, 0, 0, instance->log.vendorAtCreation, 0);
  master(&effect, vst::audioMasterGetProductString, 0, 0, instance->log.productAtCreation, 0);
  return &effect;
}

}  // namespace

#if defined(FAKE_MAIN_ONLY)
// Older plug-ins export their entry only as "main".
KESTRION_EXPORT vst::AEffect* FakeMainEntry(vst::AudioMasterCallback master) asm("main");
vst::AEffect* FakeMainEntry(vst::AudioMasterCallback master) { return CreateInstance(master); }
#elif defined(FAKE_NO_INSTANCE)
KESTRION_EXPORT vst::AEffect* VSTPluginMain(vst::AudioMasterCallback /*master*/) { return nullptr; }
#elif defined(FAKE_NO_ENTRY)
KESTRION_EXPORT int FakeSomethingElse() { return 0; }
#else
KESTRION_EXPORT vst::AEffect* VSTPluginMain(vst::AudioMasterCallback master) { return CreateInstance(master); }
#endif
