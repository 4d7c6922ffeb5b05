// The audio path allocates nothing: every heap allocation made while the
// process callbacks run is counted.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "instrument/ParameterIndex.h"
#include "instrument/Synth.h"
#include "tests/dsp/PluginPlayer.h"

using namespace dsp;

namespace {

std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};

void* Allocate(std::size_t size) {
  if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  return p;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using testplayer::Player;
using testplayer::TimedEvent;

// Counts the allocations of one dispatcher call.
long AllocationsOfCall(testhost::Instance& host, vst::VstInt32 opcode, vst::VstIntPtr value = 0, void* ptr = nullptr) {
  gAllocations = 0;
  gCounting = true;
  host.Call(opcode, 0, value, ptr);
  gCounting = false;
  return gAllocations;
}

// The event call and the start of the next block, where the event acts.
long AllocationsOfEvent(testhost::Instance& host, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
  gAllocations = 0;
  gCounting = true;
  host.Midi(status, data1, data2);
  host.NextBlock();
  gCounting = false;
  return gAllocations;
}

// Counts the allocations of the process calls only; the MIDI goes in between.
long AllocationsWhilePlaying(Player& player, const std::vector<TimedEvent>& song, int frames, int hostBlock) {
  std::vector<float> left(static_cast<size_t>(hostBlock)), right(static_cast<size_t>(hostBlock));
  std::vector<double> leftD(static_cast<size_t>(hostBlock)), rightD(static_cast<size_t>(hostBlock));
  long counted = 0;
  bool useDouble = false;
  for (int done = 0; done < frames; done += hostBlock) {
    const int n = std::min(hostBlock, frames - done);
    player.SendEvents(song, done, n);
    float* outputs[2] = {left.data(), right.data()};
    double* outputsD[2] = {leftD.data(), rightD.data()};
    gAllocations = 0;
    gCounting = true;
    if (useDouble)
      player.host.effect->processDoubleReplacing(player.host.effect, nullptr, outputsD, n);
    else
      player.host.effect->processReplacing(player.host.effect, nullptr, outputs, n);
    gCounting = false;
    counted += gAllocations;
    useDouble = !useDouble;
  }
  return counted;
}

std::vector<TimedEvent> BusySong() {
  std::vector<TimedEvent> song;
  for (int i = 0; i < 400; ++i) {
    const int at = i * 237;
    song.push_back({at, 0x90, static_cast<std::uint8_t>(36 + i % 48), static_cast<std::uint8_t>(1 + i % 127)});
    song.push_back({at + 100, 0x80, static_cast<std::uint8_t>(36 + (i + 47) % 48), 0});
    song.push_back({at + 50, 0xE0, static_cast<std::uint8_t>(i % 128), static_cast<std::uint8_t>(i % 128)});
    song.push_back({at + 60, 0xB0, 1, static_cast<std::uint8_t>(i % 128)});
    song.push_back({at + 70, 0xB0, 7, static_cast<std::uint8_t>(i % 128)});
  }
  return song;
}

TEST(AudioPath, ProcessCallsAllocateNothing) {
  // The counter must see what the test itself allocates, or it proves nothing.
  gAllocations = 0;
  gCounting = true;
  delete new int(1);
  gCounting = false;
  ASSERT_EQ(gAllocations.load(), 1);

  for (int mode = 0; mode <= 4; ++mode) {
    Player player(256);
    player.Set(Param::KeyAssign, mode / 4.0f);
    player.Set(Param::Noise, 0.3f);
    player.Set(Param::Resonance, 0.9f);
    player.Set(Param::Portamento, 0.5f);
    player.Set(Param::EgIntensity, 0.9f);
    EXPECT_EQ(AllocationsWhilePlaying(player, BusySong(), 100000, 256), 0) << "mode " << mode;
    // Calls longer than the block are rendered in pieces.
    EXPECT_EQ(AllocationsWhilePlaying(player, BusySong(), 20000, 1000), 0) << "mode " << mode;
  }
  // The arpeggiator on either clock, with each effect type.
  for (int trigger = 0; trigger <= 1; ++trigger) {
    for (int type = 0; type <= 2; ++type) {
      Player player(256);
      player.Set(Param::ArpState, trigger == 0 ? 0.0f : 0.5f);  // "Latch", "On"
      player.Set(Param::ArpTrigger, float(trigger));
      player.Set(Param::ArpTempo, 1.0f);  // "1/64"
      player.Set(Param::Mg2Rate, 0.9f);
      player.Set(Param::Effects, 1.0f);
      player.Set(Param::FxType, type / 2.0f);
      player.Set(Param::FxMode, float(type % 2));
      player.Set(Param::CrossMod, 0.7f);
      player.Set(Param::FmAmount, 0.2f);
      player.Set(Param::ShiftSingle, 0.5f);
      player.Set(Param::ShiftDouble, 0.5f);
      player.Set(Param::BendTarget, 0.0f);
      player.Set(Param::WheelTarget, 1.0f);
      player.Set(Param::WheelIntensity, 1.0f);
      EXPECT_EQ(AllocationsWhilePlaying(player, BusySong(), 100000, 256), 0) << trigger << type;
    }
  }
}

// The MIDI messages that act at once, and program selection by the host,
// run between blocks on the audio thread: they too must not allocate.
TEST(AudioPath, ImmediateMidiAndProgramSelectionAllocateNothing) {
  Player player(256);
  player.Play({{0, 0x90, 60, 100}, {10, 0x90, 64, 100}}, 2048);
  testhost::Instance& host = player.host;
  Synth& synth = *InstrumentOf(host.effect);
  synth.SetIgnoreProgramChange(false);  // whatever the user's configuration says

  for (std::uint8_t program : {3, 4, 3, 63, 0}) {
    EXPECT_EQ(AllocationsOfEvent(host, 0xC0, program, 0), 0) << "program change " << int(program);
    ASSERT_EQ(host.Call(vst::effGetProgram), program);
    player.Play({{0, 0x90, 48, 90}}, 512);
  }
  EXPECT_EQ(AllocationsOfEvent(host, 0xB0, 120, 0), 0) << "all sound off";
  player.Play({{0, 0x90, 50, 90}}, 512);
  EXPECT_EQ(AllocationsOfEvent(host, 0xB0, 123, 0), 0) << "all notes off";

  // Learning: a controller alone, then one that completes a binding.
  synth.SetMidiLearn(true, false);
  EXPECT_EQ(AllocationsOfEvent(host, 0xB0, 74, 10), 0) << "controller captured";
  synth.SetMidiLearn(true, false);
  player.Set(Param::Cutoff, 0.3f);
  EXPECT_EQ(AllocationsOfEvent(host, 0xB0, 21, 10), 0) << "controller bound";
  ASSERT_FALSE(synth.LearnActive());
  ASSERT_EQ(synth.LearnedParameter(21), Param::Cutoff);

  for (int program : {5, 6, 5, 63, 0}) {
    player.Set(Param::Resonance, program / 64.0f);
    EXPECT_EQ(AllocationsOfCall(host, vst::effSetProgram, program), 0) << "effSetProgram " << program;
    ASSERT_EQ(host.Call(vst::effGetProgram), program);
  }
}

}  // namespace
