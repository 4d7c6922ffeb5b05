#include "tools/render/MidiPlayback.h"

#include <algorithm>
#include <cmath>

namespace render {

std::vector<ScheduledEvent> ScheduleEvents(const MidiFile& file, const TempoMap& tempo, double sampleRate) {
  std::vector<ScheduledEvent> scheduled;
  scheduled.reserve(file.events.size());
  for (const MidiFileEvent& event : file.events) {
    const auto sample = static_cast<std::int64_t>(std::llround(tempo.SecondsAt(event.tick) * sampleRate));
    scheduled.push_back({sample, event.bytes});
  }
  return scheduled;
}

vsthost::Transport TransportAt(const TempoMap& tempo, std::int64_t sample, double sampleRate) {
  const double seconds = sample / sampleRate;
  vsthost::Transport transport;
  transport.samplePos = static_cast<double>(sample);
  transport.ppqPos = tempo.QuarterAtSeconds(seconds);
  transport.tempo = tempo.TempoAtSeconds(seconds);
  transport.barStartPos = tempo.BarStartAt(transport.ppqPos);
  const TimeSignatureChange signature = tempo.TimeSignatureAt(transport.ppqPos);
  transport.timeSigNumerator = signature.numerator;
  transport.timeSigDenominator = signature.denominator;
  transport.playing = true;
  return transport;
}

std::int64_t RenderLength(const MidiFile& file, const TempoMap& tempo, const RenderSettings& settings) {
  const double seconds = tempo.SecondsAt(file.endTick) + settings.tailSeconds;
  return static_cast<std::int64_t>(std::llround(seconds * settings.sampleRate));
}

std::string RenderMidiFile(vsthost::VstHost& host, const MidiFile& file, const RenderSettings& settings,
                           std::vector<std::vector<float>>& output) {
  const vst::AEffect* effect = host.Effect();
  if (!effect) return "no plug-in instance to render with";
  if (effect->numOutputs < 1) return "the plug-in has no audio outputs";
  if (effect->numInputs < 0 || effect->numOutputs > 64 || effect->numInputs > 64)
    return "the plug-in reports an implausible channel count";

  const TempoMap tempo(file);
  const std::vector<ScheduledEvent> events = ScheduleEvents(file, tempo, settings.sampleRate);
  const std::int64_t length = RenderLength(file, tempo, settings);
  const std::int32_t block = settings.blockSize;

  // Plug-ins get silent inputs and a buffer for every output they declare.
  std::vector<std::vector<float>> inputBuffers(effect->numInputs, std::vector<float>(block, 0.0f));
  std::vector<std::vector<float>> outputBuffers(effect->numOutputs, std::vector<float>(block, 0.0f));
  std::vector<float*> inputs, outputs;
  for (auto& buffer : inputBuffers) inputs.push_back(buffer.data());
  for (auto& buffer : outputBuffers) outputs.push_back(buffer.data());
  inputs.push_back(nullptr);  // a valid array even without inputs

  output.assign(2, std::vector<float>());
  output[0].reserve(length);
  output[1].reserve(length);

  std::size_t nextEvent = 0;
  std::vector<vsthost::MidiMessage> blockEvents;
  for (std::int64_t start = 0; start < length; start += block) {
    const auto frames = static_cast<std::int32_t>(std::min<std::int64_t>(block, length - start));
    host.SetTransport(TransportAt(tempo, start, settings.sampleRate));

    blockEvents.clear();
    while (nextEvent < events.size() && events[nextEvent].sample < start + frames) {
      const ScheduledEvent& event = events[nextEvent++];
      blockEvents.push_back({static_cast<std::int32_t>(event.sample - start), event.bytes});
    }
    if (!blockEvents.empty()) host.SendMidi(blockEvents);

    for (auto& buffer : inputBuffers) std::fill(buffer.begin(), buffer.end(), 0.0f);
    host.Process(inputs.data(), outputs.data(), frames);

    const float* left = outputs[0];
    const float* right = effect->numOutputs > 1 ? outputs[1] : outputs[0];
    output[0].insert(output[0].end(), left, left + frames);
    output[1].insert(output[1].end(), right, right + frames);
  }
  return {};
}

}  // namespace render
