// Plays a MIDI file into a plug-in block by block: each event goes to the
// block its sample falls in, and the host time follows the rendered samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/render/MidiFile.h"
#include "tools/render/TempoMap.h"
#include "tools/vsthost/VstHost.h"

namespace render {

struct RenderSettings {
  double sampleRate = 44100;
  std::int32_t blockSize = 512;
  double tailSeconds = 2;  // rendered after the file's last event for the release
};

struct ScheduledEvent {
  std::int64_t sample = 0;  // from the start of the render
  std::vector<std::uint8_t> bytes;
};

// The file's events at the sample they fall on (rounded to the nearest), in order.
std::vector<ScheduledEvent> ScheduleEvents(const MidiFile& file, const TempoMap& tempo, double sampleRate);

// The host time at the first sample of a block.
vsthost::Transport TransportAt(const TempoMap& tempo, std::int64_t sample, double sampleRate);

// The number of frames to render: the file, then the tail.
std::int64_t RenderLength(const MidiFile& file, const TempoMap& tempo, const RenderSettings& settings);

// Renders into an instance that is open, set to the settings' rate and block
// size and switched on. `output` receives the first two plug-in outputs (a
// single output is copied to both). Returns an empty text or why it could not render.
std::string RenderMidiFile(vsthost::VstHost& host, const MidiFile& file, const RenderSettings& settings,
                           std::vector<std::vector<float>>& output);

}  // namespace render
