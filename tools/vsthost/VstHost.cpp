#include "tools/vsthost/VstHost.h"

#include <algorithm>
#include <cstring>

namespace vsthost {

namespace {

using vst::VstInt32;
using vst::VstIntPtr;

// Plug-ins call back with their effect record; several instances may live in
// one process, so the callback finds its host in this table.
std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::map<vst::AEffect*, VstHost*>& Registry() {
  static std::map<vst::AEffect*, VstHost*> hosts;
  return hosts;
}

// While an entry point runs, the host does not know the effect record yet:
// calls made on that thread belong to the host that is loading.
thread_local VstHost* tHostBeingCreated = nullptr;

// The time answer stays valid until the same thread asks again, as plug-ins expect.
thread_local vst::VstTimeInfo tTimeAnswer;

VstHost* FindHost(vst::AEffect* effect) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  if (effect) {
    auto found = Registry().find(effect);
    if (found != Registry().end()) return found->second;
  }
  if (tHostBeingCreated && effect) Registry()[effect] = tHostBeingCreated;
  return tHostBeingCreated;
}

void Register(vst::AEffect* effect, VstHost* host) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry()[effect] = host;
}

void Unregister(const VstHost* host) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  for (auto it = Registry().begin(); it != Registry().end();) {
    if (it->second == host)
      it = Registry().erase(it);
    else
      ++it;
  }
}

// Vendor and product strings: hosts may write at most 64 bytes.
constexpr std::size_t kHostStringCapacity = 64;
// Plug-ins are known to write past the 8 or 24 bytes their texts should fit in.
constexpr std::size_t kTextBufferSize = 512;

void CopyHostString(void* to, const std::string& from) {
  if (!to) return;
  std::size_t n = std::min(from.size(), kHostStringCapacity - 1);
  std::memcpy(to, from.data(), n);
  static_cast<char*>(to)[n] = 0;
}

const char* const kHostCanDo[] = {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "receiveVstEvents",
                                  "receiveVstMidiEvent"};

}  // namespace

VstHost::VstHost() = default;

VstHost::~VstHost() { Unload(); }

void VstHost::SetVendorString(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  vendor_ = text;
}

void VstHost::SetProductString(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  product_ = text;
}

void VstHost::SetVendorVersion(std::int32_t version) {
  std::lock_guard<std::mutex> lock(mutex_);
  vendorVersion_ = version;
}

void VstHost::SetProcessLevel(std::int32_t level) {
  std::lock_guard<std::mutex> lock(mutex_);
  processLevel_ = level;
}

void VstHost::SetScanner(bool scanner) {
  std::lock_guard<std::mutex> lock(mutex_);
  scanner_ = scanner;
}

void VstHost::SetSizeWindowAnswer(bool resizes) {
  std::lock_guard<std::mutex> lock(mutex_);
  resizesWindow_ = resizes;
}

bool VstHost::Load(const std::string& path, std::string* error) {
  Unload();
  auto fail = [&](const std::string& why) {
    Unregister(this);
    platform::CloseLibrary(library_);
    if (error) *error = why;
    return false;
  };

  std::string why;
  library_ = platform::OpenLibrary(path, &why);
  if (!library_.handle) return fail("cannot load plug-in '" + path + "': " + why);

  using Entry = vst::AEffect* (*)(vst::AudioMasterCallback);
  auto entry = reinterpret_cast<Entry>(platform::FindSymbol(library_, "VSTPluginMain"));
  if (!entry) entry = reinterpret_cast<Entry>(platform::FindSymbol(library_, "main"));
  if (!entry) return fail("'" + path + "' is not a VST 2.4 plug-in: no VSTPluginMain or main entry");

  VstHost* outer = tHostBeingCreated;
  tHostBeingCreated = this;
  vst::AEffect* effect = entry(&VstHost::Callback);
  tHostBeingCreated = outer;

  if (!effect) return fail("plug-in '" + path + "' created no instance");
  // Nothing else of a record with the wrong magic can be trusted, not even its dispatcher.
  if (effect->magic != vst::kEffectMagic)
    return fail("plug-in '" + path + "' returned an effect record with a bad magic number");

  Register(effect, this);
  std::lock_guard<std::mutex> lock(mutex_);
  effect_ = effect;
  return true;
}

void VstHost::Unload() {
  if (effect_) Close();
  Unregister(this);
  platform::CloseLibrary(library_);
}

VstIntPtr VstHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const {
  if (!effect_ || !effect_->dispatcher) return 0;
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void VstHost::Open() { Dispatch(vst::effOpen); }

void VstHost::Close() {
  if (!effect_) return;
  Dispatch(vst::effClose);
  // The instance may still call back while it closes; forget it only afterwards.
  Unregister(this);
  std::lock_guard<std::mutex> lock(mutex_);
  effect_ = nullptr;
}

void VstHost::SetSampleRate(double rate) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sampleRate_ = rate;
  }
  Dispatch(vst::effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
}

void VstHost::SetBlockSize(std::int32_t frames) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    blockSize_ = frames;
  }
  Dispatch(vst::effSetBlockSize, 0, frames);
}

void VstHost::SetActive(bool on) { Dispatch(vst::effMainsChanged, 0, on ? 1 : 0); }

void VstHost::SetProgram(std::int32_t program) { Dispatch(vst::effSetProgram, 0, program); }

std::int32_t VstHost::Program() const { return static_cast<std::int32_t>(Dispatch(vst::effGetProgram)); }

std::string VstHost::DispatchText(VstInt32 opcode, VstInt32 index) const {
  char text[kTextBufferSize] = {};
  Dispatch(opcode, index, 0, text);
  text[kTextBufferSize - 1] = 0;
  return text;
}

std::string VstHost::ProgramName() const { return DispatchText(vst::effGetProgramName, 0); }

std::string VstHost::ProgramNameIndexed(std::int32_t program) const {
  char text[kTextBufferSize] = {};
  Dispatch(vst::effGetProgramNameIndexed, program, -1, text);
  text[kTextBufferSize - 1] = 0;
  return text;
}

std::string VstHost::ParameterName(std::int32_t index) const { return DispatchText(vst::effGetParamName, index); }

std::string VstHost::ParameterLabel(std::int32_t index) const { return DispatchText(vst::effGetParamLabel, index); }

std::string VstHost::ParameterDisplay(std::int32_t index) const { return DispatchText(vst::effGetParamDisplay, index); }

bool VstHost::StringToParameter(std::int32_t index, const std::string& text) const {
  std::vector<char> copy(text.begin(), text.end());
  copy.push_back(0);
  return Dispatch(vst::effString2Parameter, index, 0, copy.data()) != 0;
}

std::string VstHost::EffectName() const { return DispatchText(vst::effGetEffectName, 0); }
std::string VstHost::PluginVendor() const { return DispatchText(vst::effGetVendorString, 0); }
std::string VstHost::PluginProduct() const { return DispatchText(vst::effGetProductString, 0); }

std::int32_t VstHost::PluginVendorVersion() const {
  return static_cast<std::int32_t>(Dispatch(vst::effGetVendorVersion));
}

VstIntPtr VstHost::CanDo(const std::string& question) const {
  std::vector<char> copy(question.begin(), question.end());
  copy.push_back(0);
  return Dispatch(vst::effCanDo, 0, 0, copy.data());
}

void VstHost::SetParameter(std::int32_t index, float value) const {
  if (effect_ && effect_->setParameter) effect_->setParameter(effect_, index, value);
}

float VstHost::GetParameter(std::int32_t index) const {
  if (effect_ && effect_->getParameter) return effect_->getParameter(effect_, index);
  return 0;
}

VstIntPtr VstHost::SendMidi(const std::vector<MidiMessage>& messages) {
  shortEvents_.clear();
  sysexEvents_.clear();
  sysexData_.clear();
  for (const MidiMessage& message : messages) {
    if (!message.bytes.empty() && message.bytes[0] == 0xF0) {
      vst::VstMidiSysexEvent event{};
      event.type = vst::kVstSysExType;
      event.byteSize = sizeof event;
      event.deltaFrames = message.deltaFrames;
      event.dumpBytes = static_cast<VstInt32>(message.bytes.size());
      sysexEvents_.push_back(event);
      sysexData_.emplace_back(message.bytes.begin(), message.bytes.end());
    } else {
      vst::VstMidiEvent event{};
      event.type = vst::kVstMidiType;
      event.byteSize = sizeof event;
      event.deltaFrames = message.deltaFrames;
      for (std::size_t i = 0; i < message.bytes.size() && i < 3; ++i)
        event.midiData[i] = static_cast<char>(message.bytes[i]);
      shortEvents_.push_back(event);
    }
  }

  // The entries go in message order, whatever their kind.
  const std::size_t count = messages.size();
  eventList_.assign(offsetof(vst::VstEvents, events) + std::max<std::size_t>(count, 2) * sizeof(void*), 0);
  auto* list = reinterpret_cast<vst::VstEvents*>(eventList_.data());
  list->numEvents = static_cast<VstInt32>(count);
  vst::VstEvent** entries = vst::EventEntries(*list);
  std::size_t nextShort = 0, nextSysex = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const MidiMessage& message = messages[i];
    if (!message.bytes.empty() && message.bytes[0] == 0xF0) {
      vst::VstMidiSysexEvent& event = sysexEvents_[nextSysex];
      event.sysexDump = sysexData_[nextSysex].data();
      entries[i] = reinterpret_cast<vst::VstEvent*>(&event);
      ++nextSysex;
    } else {
      entries[i] = reinterpret_cast<vst::VstEvent*>(&shortEvents_[nextShort++]);
    }
  }
  return Dispatch(vst::effProcessEvents, 0, 0, list);
}

void VstHost::Process(float** inputs, float** outputs, std::int32_t frames) const {
  if (!effect_) return;
  if ((effect_->flags & vst::effFlagsCanReplacing) && effect_->processReplacing) {
    effect_->processReplacing(effect_, inputs, outputs, frames);
    return;
  }
  for (VstInt32 channel = 0; channel < effect_->numOutputs; ++channel)
    std::fill(outputs[channel], outputs[channel] + frames, 0.0f);
  if (effect_->process) effect_->process(effect_, inputs, outputs, frames);
}

void VstHost::ProcessDouble(double** inputs, double** outputs, std::int32_t frames) const {
  if (!effect_) return;
  if ((effect_->flags & vst::effFlagsCanDoubleReplacing) && effect_->processDoubleReplacing) {
    effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
    return;
  }
  for (VstInt32 channel = 0; channel < effect_->numOutputs; ++channel)
    std::fill(outputs[channel], outputs[channel] + frames, 0.0);
}

void VstHost::SetTransport(const Transport& transport) {
  std::lock_guard<std::mutex> lock(mutex_);
  transportChanged_ = transport.playing != transport_.playing;
  transport_ = transport;
}

Transport VstHost::CurrentTransport() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return transport_;
}

std::int64_t VstHost::CallCount(VstInt32 opcode) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = callCounts_.find(opcode);
  return found == callCounts_.end() ? 0 : found->second;
}

std::vector<EditNotice> VstHost::EditNotices() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return editNotices_;
}

std::vector<MidiMessage> VstHost::MidiOutput() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return midiOutput_;
}

std::vector<WindowSize> VstHost::SizeRequests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sizeRequests_;
}

void VstHost::ClearLog() {
  std::lock_guard<std::mutex> lock(mutex_);
  callCounts_.clear();
  editNotices_.clear();
  midiOutput_.clear();
  sizeRequests_.clear();
}

namespace {
thread_local int tCallbackDepth = 0;
}  // namespace

bool VstHost::InCallback() { return tCallbackDepth > 0; }

VstIntPtr VstHost::Callback(vst::AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                            float opt) {
  struct Depth {
    Depth() { ++tCallbackDepth; }
    ~Depth() { --tCallbackDepth; }
  } depth;
  VstHost* host = FindHost(effect);
  if (host) return host->Answer(opcode, index, value, ptr, opt);
  // An instance no host owns still learns which interface version it talks to.
  return opcode == vst::audioMasterVersion ? vst::kVstVersion : 0;
}

VstIntPtr VstHost::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++callCounts_[opcode];
  if (scanner_) return 0;

  switch (opcode) {
    case vst::audioMasterAutomate: editNotices_.push_back({EditNotice::kAutomate, index, opt}); return 0;
    case vst::audioMasterVersion: return vst::kVstVersion;
    case vst::audioMasterCurrentId: return effect_ ? effect_->uniqueID : 0;
    case vst::audioMasterWantMidi: return 1;
    case vst::audioMasterGetTime: {
      vst::VstTimeInfo& time = tTimeAnswer;
      time = vst::VstTimeInfo{};
      time.samplePos = transport_.samplePos;
      time.sampleRate = sampleRate_;
      time.nanoSeconds = sampleRate_ > 0 ? transport_.samplePos / sampleRate_ * 1e9 : 0;
      time.ppqPos = transport_.ppqPos;
      time.tempo = transport_.tempo;
      time.barStartPos = transport_.barStartPos;
      time.timeSigNumerator = transport_.timeSigNumerator;
      time.timeSigDenominator = transport_.timeSigDenominator;
      time.flags =
          vst::kVstNanosValid | vst::kVstPpqPosValid | vst::kVstTempoValid | vst::kVstBarsValid | vst::kVstTimeSigValid;
      if (transport_.playing) time.flags |= vst::kVstTransportPlaying;
      if (transportChanged_) time.flags |= vst::kVstTransportChanged;
      return reinterpret_cast<VstIntPtr>(&time);
    }
    case vst::audioMasterProcessEvents: {
      const auto* list = static_cast<const vst::VstEvents*>(ptr);
      if (!list) return 0;
      vst::VstEvent* const* entries = vst::EventEntries(*list);
      for (VstInt32 i = 0; i < list->numEvents; ++i) {
        const vst::VstEvent* event = entries[i];
        if (!event) continue;
        MidiMessage message;
        message.deltaFrames = event->deltaFrames;
        if (event->type == vst::kVstMidiType) {
          const auto* midi = reinterpret_cast<const vst::VstMidiEvent*>(event);
          for (int b = 0; b < 3; ++b) message.bytes.push_back(static_cast<std::uint8_t>(midi->midiData[b]));
        } else if (event->type == vst::kVstSysExType) {
          const auto* sysex = reinterpret_cast<const vst::VstMidiSysexEvent*>(event);
          if (sysex->sysexDump && sysex->dumpBytes > 0)
            message.bytes.assign(sysex->sysexDump, sysex->sysexDump + sysex->dumpBytes);
        } else {
          continue;
        }
        midiOutput_.push_back(std::move(message));
      }
      return 1;
    }
    case vst::audioMasterGetSampleRate: return static_cast<VstIntPtr>(sampleRate_);
    case vst::audioMasterGetBlockSize: return blockSize_;
    case vst::audioMasterGetCurrentProcessLevel: return processLevel_;
    case vst::audioMasterGetVendorString: CopyHostString(ptr, vendor_); return ptr ? 1 : 0;
    case vst::audioMasterGetProductString: CopyHostString(ptr, product_); return ptr ? 1 : 0;
    case vst::audioMasterGetVendorVersion: return vendorVersion_;
    case vst::audioMasterCanDo: {
      if (!ptr) return 0;
      const char* question = static_cast<const char*>(ptr);
      if (std::strcmp(question, "sizeWindow") == 0) return resizesWindow_ ? 1 : 0;
      for (const char* known : kHostCanDo)
        if (std::strcmp(question, known) == 0) return 1;
      return 0;
    }
    case vst::audioMasterSizeWindow:
      sizeRequests_.push_back({index, static_cast<std::int32_t>(value)});
      return resizesWindow_ ? 1 : 0;
    case vst::audioMasterUpdateDisplay: editNotices_.push_back({EditNotice::kUpdateDisplay, 0, 0}); return 1;
    case vst::audioMasterBeginEdit: editNotices_.push_back({EditNotice::kBeginEdit, index, 0}); return 1;
    case vst::audioMasterEndEdit: editNotices_.push_back({EditNotice::kEndEdit, index, 0}); return 1;
    default: return 0;
  }
}

}  // namespace vsthost
