// A short tune the other formats play to be compared with the VST 2.4
// plug-in, and its playing through that plug-in.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "tools/vsthost/VstHost.h"

namespace blackbox {

// A few notes, some inside a block.
struct TuneNote {
  int block;
  std::int32_t offset;
  int key;
  int velocity;  // 0: note off
};
inline constexpr TuneNote kTune[] = {{0, 0, 48, 100},   {0, 100, 55, 90}, {2, 17, 48, 0},
                                     {3, 200, 60, 127}, {5, 1, 55, 0},    {7, 3, 60, 0}};
inline constexpr int kTuneBlocks = 12;

// The tune's left channel through the VST 2.4 plug-in, in blocks of
// `blockSize`; `more` may add messages to a block's.
inline std::vector<float> PlayTune(vsthost::VstHost& host, int blockSize,
                                   const std::function<void(int, std::vector<vsthost::MidiMessage>&)>& more = {}) {
  std::vector<float> out, left(static_cast<std::size_t>(blockSize)), right(static_cast<std::size_t>(blockSize));
  float* outputs[2] = {left.data(), right.data()};
  for (int block = 0; block < kTuneBlocks; ++block) {
    std::vector<vsthost::MidiMessage> messages;
    for (const TuneNote& note : kTune)
      if (note.block == block)
        messages.push_back({note.offset,
                            {static_cast<std::uint8_t>(note.velocity ? 0x90 : 0x80),
                             static_cast<std::uint8_t>(note.key), static_cast<std::uint8_t>(note.velocity)}});
    if (more) more(block, messages);
    if (!messages.empty()) host.SendMidi(messages);
    host.Process(nullptr, outputs, blockSize);
    out.insert(out.end(), left.begin(), left.end());
  }
  return out;
}

// A playing transport at `quarter` (in quarter notes) and `samplePos`, with
// the bar it falls in, as a host reports it.
inline vsthost::Transport PlayingTransport(double samplePos, double quarter, double tempo) {
  vsthost::Transport transport;
  transport.samplePos = samplePos;
  transport.ppqPos = quarter;
  transport.tempo = tempo;
  transport.barStartPos = std::floor(quarter / 4) * 4;
  transport.playing = true;
  return transport;
}

}  // namespace blackbox
