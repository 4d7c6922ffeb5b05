// What a musician hears from the built plug-in file: notes on both outputs,
// their pitch and level, and their release.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "tests/blackbox/LoadedPlugin.h"

namespace {

using namespace vst;

constexpr int kRate = 44100;
constexpr int kBlock = 512;
constexpr int kInitProgram = 63;  // every parameter at its default

// Renders blocks and keeps both channels; events go at the start of the
// next block unless an offset is given.
struct Session {
  Session() : host(blackbox::LoadPlugin()) {
    host->SetSampleRate(kRate);
    host->SetBlockSize(kBlock);
    host->SetProgram(kInitProgram);
    host->SetActive(true);
  }
  void Set(const char* name, const char* display) { blackbox::SetByName(*host, name, display); }
  // One plain sawtooth, open filter, full output level.
  void SingleSawtooth() {
    Set("Level 2", "0");
    Set("Level 3", "0");
    Set("Level 4", "0");
    Set("OutRange", "High");
  }
  void Send(std::vector<vsthost::MidiMessage> messages) { host->SendMidi(messages); }
  void Render(int frames) {
    std::vector<float> l(kBlock), r(kBlock);
    float* outputs[2] = {l.data(), r.data()};
    while (frames > 0) {
      const int n = frames < kBlock ? frames : kBlock;
      host->Process(nullptr, outputs, n);
      left.insert(left.end(), l.begin(), l.begin() + n);
      right.insert(right.end(), r.begin(), r.begin() + n);
      frames -= n;
    }
  }
  double Rms(std::size_t from, std::size_t to) const {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += double(left[i]) * left[i];
    return std::sqrt(sum / double(to - from));
  }
  std::unique_ptr<vsthost::VstHost> host;
  std::vector<float> left, right;
};

vsthost::MidiMessage NoteOn(int key, int velocity = 100, int offset = 0) {
  return {offset, {0x90, std::uint8_t(key), std::uint8_t(velocity)}};
}
vsthost::MidiMessage NoteOff(int key, int offset = 0) { return {offset, {0x80, std::uint8_t(key), 0}}; }

// Frequency from the upward zero crossings of a sawtooth, interpolated.
double MeasuredFrequency(const std::vector<float>& x, std::size_t from, std::size_t to) {
  double first = -1, last = -1;
  int crossings = 0;
  for (std::size_t i = from + 1; i < to; ++i) {
    if (x[i - 1] < 0 && x[i] >= 0) {
      const double t = double(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
      if (first < 0) first = t;
      last = t;
      ++crossings;
    }
  }
  return crossings > 1 ? (crossings - 1) * kRate / (last - first) : 0;
}

TEST(Audio, ANoteSoundsOnTwoIdenticalChannelsAndItsReleaseEndsInExactSilence) {
  Session s;
  s.Set("EG2 R", "0.2");
  s.Send({NoteOn(60, 100, 100)});
  s.Render(kRate / 2);
  s.Send({NoteOff(60)});
  s.Render(2 * kRate);
  EXPECT_GT(s.Rms(kRate / 10, kRate / 2), 0.05);
  for (std::size_t i = 0; i < s.left.size(); ++i) {
    ASSERT_TRUE(std::isfinite(s.left[i])) << i;
    ASSERT_EQ(s.left[i], s.right[i]) << i;
  }
  for (std::size_t i = s.left.size() - kRate / 2; i < s.left.size(); ++i) ASSERT_EQ(s.left[i], 0.0f) << i;
}

TEST(Audio, ASawtoothPlaysThePitchOfItsKey) {
  for (int key : {33, 45, 57, 69, 81, 93}) {
    Session s;
    s.SingleSawtooth();
    s.Send({NoteOn(key)});
    s.Render(kRate + kRate / 10);
    const double expected = 440.0 * std::pow(2.0, (key - 69) / 12.0);
    const double measured = MeasuredFrequency(s.left, kRate / 10, s.left.size());
    EXPECT_NEAR(1200 * std::log2(measured / expected), 0.0, 3.0) << "key " << key << ": " << measured << " Hz";
  }
}

TEST(Audio, VelocityScalesTheLevelOnlyWithVcaVelo) {
  auto level = [](const char* vcaVelo, int velocity) {
    Session s;
    s.SingleSawtooth();
    s.Set("VCA Velo", vcaVelo);
    s.Send({NoteOn(57, velocity)});
    s.Render(kRate / 2);
    return s.Rms(kRate / 4, kRate / 2);
  };
  EXPECT_NEAR(level("0", 32) / level("0", 127), 1.0, 1e-6);
  EXPECT_NEAR(level("1", 64) / level("1", 127), 64.0 / 127, 0.005);
  // Half the amount halves the reduction: (64/127 - 1) * 0.5 + 1.
  EXPECT_NEAR(level("0.5", 64) / level("0.5", 127), (64.0 / 127 - 1) * 0.5 + 1, 0.005);
}

}  // namespace
