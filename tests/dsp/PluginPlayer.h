// Plays timed MIDI through an instance's effect record, in host-sized blocks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tests/vst2/TestHost.h"
#include "vst2/VstAbi.h"

namespace testplayer {

struct TimedEvent {
  int position;  // absolute sample
  std::uint8_t status, data1, data2;
};

struct Player {
  explicit Player(int blockSize, float sampleRate = 44100.0f) : block(blockSize) {
    host.Call(vst::effSetSampleRate, 0, 0, nullptr, sampleRate);
    host.Call(vst::effSetBlockSize, 0, blockSize);
    host.Call(vst::effMainsChanged, 0, 1);
    left.resize(static_cast<size_t>(blockSize));
    right.resize(static_cast<size_t>(blockSize));
  }

  // The host moving a parameter; the engine takes it at the start of the
  // next block.
  void Set(int index, float normalised) { host.SetParameter(index, normalised); }

  // Sends the events of [start, start + n) with their offsets in the block.
  void SendEvents(const std::vector<TimedEvent>& events, int start, int n) {
    std::vector<vst::VstMidiEvent> midi;
    for (const TimedEvent& e : events)
      if (e.position >= start && e.position < start + n)
        midi.push_back(testhost::VstMidi(e.status, e.data1, e.data2, e.position - start));
    if (!midi.empty()) host.Call(vst::effProcessEvents, 0, 0, testhost::EventList(midi).List());
  }

  // The left channel of `frames` samples; checks that the right one agrees.
  std::vector<float> Play(const std::vector<TimedEvent>& events, int frames, bool* channelsAgree = nullptr) {
    std::vector<float> out;
    bool agree = true;
    for (int done = 0; done < frames; done += block) {
      const int n = std::min(block, frames - done);
      SendEvents(events, done, n);
      float* outputs[2] = {left.data(), right.data()};
      host.effect->processReplacing(host.effect, nullptr, outputs, n);
      for (int i = 0; i < n; ++i) {
        out.push_back(left[static_cast<size_t>(i)]);
        agree = agree && left[static_cast<size_t>(i)] == right[static_cast<size_t>(i)];
      }
    }
    if (channelsAgree) *channelsAgree = agree;
    return out;
  }

  testhost::Instance host;
  int block;
  std::vector<float> left, right;
};

}  // namespace testplayer
