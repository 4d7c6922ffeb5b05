// An arpeggio played by the built plug-in file against a host transport at
// 120 beats per minute: its notes, found in the audio alone, fall on the
// host's sixteenth notes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "tests/blackbox/LoadedPlugin.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;
constexpr int kInitProgram = 63;  // every parameter at its default
constexpr int kControlTick = 44;  // samples at 44100 Hz
constexpr double kTempo = 120.0;
constexpr double kSixteenth = kRate * 60.0 / kTempo / 4;  // 5512.5 samples

class Arpeggio : public ::testing::Test {
 protected:
  void SetUp() override {
    host = blackbox::LoadPlugin();
    ASSERT_NE(host->Effect(), nullptr);
    host->SetSampleRate(kRate);
    host->SetBlockSize(kBlock);
    host->SetProgram(kInitProgram);
    host->SetActive(true);
    Set("ARPState", "On");
    Set("ARP Trig", "MIDI");
    Set("ARPTempo", "1/16");
    Set("ARPRange", "2Oct");
    // Short plucks, so that every step starts from near silence.
    Set("EG2 A", "0");
    Set("EG2 D", "0");
    Set("EG2 S", "0");
    Set("EG2 R", "0");
  }

  void Set(const char* name, const char* display) { blackbox::SetByName(*host, name, display); }

  // Plays `frames` samples with the transport running from `startQuarter`;
  // the keys go down `keySample` samples in.
  std::vector<float> Play(int frames, double startQuarter, int keySample) {
    std::vector<float> out, l(kBlock), r(kBlock);
    float* outputs[2] = {l.data(), r.data()};
    for (int done = 0; done < frames; done += kBlock) {
      vsthost::Transport transport;
      transport.samplePos = done;
      transport.tempo = kTempo;
      transport.ppqPos = startQuarter + done / double(kRate) * kTempo / 60.0;
      transport.barStartPos = std::floor(transport.ppqPos / 4) * 4;
      transport.playing = true;
      host->SetTransport(transport);
      if (keySample >= done && keySample < done + kBlock) {
        const std::int32_t offset = keySample - done;
        host->SendMidi({{offset, {0x90, 57, 100}}, {offset, {0x90, 64, 100}}});
      }
      host->Process(nullptr, outputs, kBlock);
      out.insert(out.end(), l.begin(), l.end());
    }
    return out;
  }

  std::unique_ptr<vsthost::VstHost> host;
};

// Where notes start: the first sample clearly above the noise floor after
// a stretch of silence. Each step restarts the amplifier's attack, so the
// first samples of a note are already far above what is left of the last.
std::vector<int> Onsets(const std::vector<float>& x) {
  constexpr int kSilentStretch = 4 * kControlTick;
  float loudest = 0;
  for (float v : x) loudest = std::max(loudest, std::fabs(v));
  std::vector<int> onsets;
  int silent = kSilentStretch;
  bool armed = true;  // silence came before: the next rise is a note
  for (std::size_t i = 0; i < x.size(); ++i) {
    const float level = std::fabs(x[i]);
    silent = level < 1e-5f * loudest ? silent + 1 : 0;
    if (silent >= kSilentStretch) armed = true;
    if (armed && level > 1e-3f * loudest) {
      onsets.push_back(int(i));
      armed = false;
    }
  }
  return onsets;
}

// Distance from the nearest host sixteenth, in samples, for a transport that
// started at `startQuarter`.
double OffGrid(int sample, double startQuarter) {
  const double position = startQuarter * 4 * kSixteenth + sample;
  return std::fabs(position - std::round(position / kSixteenth) * kSixteenth);
}

// The transport starts in the middle of a bar and the keys come between two
// sixteenths: they play at once, and every note after lands on the host's
// sixteenths.
TEST_F(Arpeggio, KeysPlayAtOnceAndThenEveryNoteLandsOnTheHostsSixteenths) {
  const double start = 6.3;
  const int key = 3000;
  const std::vector<int> onsets = Onsets(Play(kRate * 4, start, key));
  ASSERT_GE(onsets.size(), 30u);  // 31 sixteenths in the four seconds after the keys
  EXPECT_NEAR(onsets[0], key, kControlTick + 1);
  for (std::size_t i = 1; i < onsets.size(); ++i) {
    EXPECT_LE(OffGrid(onsets[i], start), kControlTick) << "note " << i << " at " << onsets[i];
    if (i > 1) {
      EXPECT_NEAR(onsets[i] - onsets[i - 1], kSixteenth, 2 * kControlTick) << i;
    }
  }
}

}  // namespace
