// The instance the checks drive, and the report they write to.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "Validator.h"
#include "tools/claphost/ClapHost.h"
#include "tools/vst3host/Vst3Host.h"

namespace validator {

bool HostCallbackActive() {
  return vsthost::VstHost::InCallback() || claphost::ClapHost::InCallback() || vst3host::Vst3Host::InCallback() ||
         InLv2HostCallback();
}

void Report::Begin(const char* name) {
  std::snprintf(progress_.check, sizeof progress_.check, "%s", name);
  progress_.step[0] = 0;
}

void Report::Step(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(progress_.step, sizeof progress_.step, format, arguments);
  va_end(arguments);
}

namespace {
void Print(const char* outcome, const std::string& name, const std::string& detail) {
  std::printf("%s %s \xe2\x80\x94 %s\n", outcome, name.c_str(), detail.c_str());
  std::fflush(stdout);
}
}  // namespace

void Report::Pass(const std::string& name, const std::string& detail) {
  ++progress_.passed;
  Print("PASS", name, detail);
}
void Report::Fail(const std::string& name, const std::string& detail) {
  ++progress_.failed;
  Print("FAIL", name, detail);
}
void Report::Skip(const std::string& name, const std::string& detail) {
  ++progress_.skipped;
  Print("SKIP", name, detail);
}

namespace {

// A VstEvents with room for the few notes a check sends, filled in place.
struct NoteEvents {
  vst::VstInt32 numEvents = 0;
  vst::VstIntPtr reserved = 0;
  vst::VstEvent* events[16] = {};
};

void Resize(Instance& instance, std::int32_t maxBlock) {
  vst::AEffect* effect = instance.host.Effect();
  auto fit = [&](auto& buffers, auto& pointers, int channels) {
    buffers.assign(static_cast<std::size_t>(std::max(channels, 0)), {});
    pointers.clear();
    for (auto& buffer : buffers) {
      buffer.assign(static_cast<std::size_t>(maxBlock), 0);
      pointers.push_back(buffer.data());
    }
    if (pointers.empty()) pointers.push_back(nullptr);
  };
  fit(instance.inputs, instance.inputPointers, effect->numInputs);
  fit(instance.outputs, instance.outputPointers, effect->numOutputs);
  fit(instance.inputsDouble, instance.inputPointersDouble, effect->numInputs);
  fit(instance.outputsDouble, instance.outputPointersDouble, effect->numOutputs);
  instance.maxBlock = maxBlock;
}

}  // namespace

std::unique_ptr<Instance> OpenInstance(const std::string& path, double rate, std::int32_t maxBlock,
                                       std::string* error) {
  auto instance = std::make_unique<Instance>();
  if (!instance->host.Load(path, error)) return nullptr;
  instance->host.Open();
  instance->host.SetSampleRate(rate);
  instance->host.SetBlockSize(maxBlock);
  Resize(*instance, maxBlock);
  instance->host.SetActive(true);
  instance->host.Dispatch(vst::effStartProcess);
  return instance;
}

void Restart(Instance& instance, double rate, std::int32_t maxBlock) {
  instance.host.Dispatch(vst::effStopProcess);
  instance.host.SetActive(false);
  instance.host.SetSampleRate(rate);
  instance.host.SetBlockSize(maxBlock);
  Resize(instance, maxBlock);
  instance.host.SetActive(true);
  instance.host.Dispatch(vst::effStartProcess);
}

void SendNotes(Instance& instance, const int* keys, int count, int velocity) {
  vst::VstMidiEvent midi[16] = {};
  NoteEvents list;
  count = std::min(count, 16);
  for (int i = 0; i < count; ++i) {
    midi[i].type = vst::kVstMidiType;
    midi[i].byteSize = sizeof(vst::VstMidiEvent);
    midi[i].midiData[0] = static_cast<char>(velocity > 0 ? 0x90 : 0x80);
    midi[i].midiData[1] = static_cast<char>(keys[i] & 0x7f);
    midi[i].midiData[2] = static_cast<char>(velocity & 0x7f);
    list.events[i] = reinterpret_cast<vst::VstEvent*>(&midi[i]);
  }
  list.numEvents = count;
  instance.host.Dispatch(vst::effProcessEvents, 0, 0, &list);
}

void AllNotesOff(Instance& instance) {
  vst::VstMidiEvent midi = {};
  midi.type = vst::kVstMidiType;
  midi.byteSize = sizeof(vst::VstMidiEvent);
  midi.midiData[0] = static_cast<char>(0xb0);
  midi.midiData[1] = 123;
  NoteEvents list;
  list.numEvents = 1;
  list.events[0] = reinterpret_cast<vst::VstEvent*>(&midi);
  instance.host.Dispatch(vst::effProcessEvents, 0, 0, &list);
}

void FeedInput(Instance& instance, float level) {
  // 16 cycles of a sine in 1024 frames, whatever the rate: about 700 Hz at 44.1 kHz.
  const double step = 2 * 3.14159265358979 * 16 / 1024;
  for (auto& buffer : instance.inputs)
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = level * static_cast<float>(std::sin(step * double(i)));
  for (auto& buffer : instance.inputsDouble)
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = level * std::sin(step * double(i));
}

void ProcessFloat(Instance& instance, std::int32_t frames) {
  instance.host.Process(instance.inputPointers.data(), instance.outputPointers.data(), frames);
}

void ProcessDouble(Instance& instance, std::int32_t frames) {
  instance.host.ProcessDouble(instance.inputPointersDouble.data(), instance.outputPointersDouble.data(), frames);
}

namespace {
template <typename Buffers>
double Peak(const Buffers& buffers, std::int32_t frames) {
  double peak = 0;
  for (const auto& buffer : buffers)
    for (std::int32_t i = 0; i < frames; ++i) {
      double sample = buffer[static_cast<std::size_t>(i)];
      if (!std::isfinite(sample)) return NAN;
      peak = std::max(peak, std::fabs(sample));
    }
  return peak;
}
}  // namespace

double PeakFloat(const Instance& instance, std::int32_t frames) { return Peak(instance.outputs, frames); }
double PeakDouble(const Instance& instance, std::int32_t frames) { return Peak(instance.outputsDouble, frames); }

std::vector<float> Render(Instance& instance, const int* keys, int count, int blocks, std::int32_t frames) {
  std::vector<float> audio;
  if (count > 0) SendNotes(instance, keys, count, 100);
  for (int block = 0; block < blocks; ++block) {
    ProcessFloat(instance, frames);
    if (!instance.outputs.empty())
      audio.insert(audio.end(), instance.outputs[0].begin(), instance.outputs[0].begin() + frames);
  }
  return audio;
}

}  // namespace validator
