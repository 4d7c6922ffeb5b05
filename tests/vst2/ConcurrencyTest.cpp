// Hosts call the dispatcher, the parameters and the audio callback from
// different threads at once; the plug-in must keep their changes whole.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "instrument/ParameterIndex.h"
#include "tests/vst2/TestHost.h"

using namespace dsp;

using namespace vst;

namespace {

constexpr int kPrograms = 64;
constexpr int kParameters = 70;
constexpr int kMarker = 43;  // the filter cutoff: no other parameter moves it
using testhost::VstMidi;

}  // namespace

// Each program slot carries its own value of one parameter that only program
// selection changes. Storing the current state and switching to another slot
// must happen as one step, or a store lands in the slot another thread has
// just selected and a slot ends up with someone else's value.
TEST(Concurrency, DispatcherParametersAndAudioFromSeveralThreads) {
  testhost::Instance i;
  AEffect* e = i.effect;
  std::vector<float> marker(kPrograms);
  for (int p = 0; p < kPrograms; ++p) {
    i.Call(effSetProgram, 0, p);
    e->setParameter(e, kMarker, p / float(kPrograms - 1));
    marker[static_cast<size_t>(p)] = e->getParameter(e, kMarker);
  }
  i.Call(effSetProgram, 0, 0);  // stores the last slot
  i.Call(effMainsChanged, 0, 1);

  std::atomic<bool> stop{false};
  std::atomic<bool> audioFinite{true};
  std::thread audio([&] {
    std::vector<float> l(512), r(512);
    float* outs[2] = {l.data(), r.data()};
    for (int n = 0; n < 400; ++n) {
      if (n % 50 == 25) {  // some hosts re-arm processing from the audio thread
        e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0);
        e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0);
      }
      VstMidiEvent on = VstMidi(0x90, 48 + n % 24, 100);
      VstMidiEvent off = VstMidi(0x80, 48 + (n + 23) % 24, 0);
      VstMidiEvent program = VstMidi(0xC0, n % kPrograms, 0);
      VstEvents events{};
      events.numEvents = n % 16 == 0 ? 2 : 1;
      events.events[0] = reinterpret_cast<VstEvent*>(&on);
      events.events[1] = reinterpret_cast<VstEvent*>(n % 16 == 0 ? &program : &off);
      e->dispatcher(e, effProcessEvents, 0, 0, &events, 0);
      e->processReplacing(e, nullptr, outs, 512);
      for (int s = 0; s < 512; ++s)
        if (!std::isfinite(l[size_t(s)]) || !std::isfinite(r[size_t(s)])) audioFinite = false;
    }
    stop = true;
  });
  std::thread automation([&] {
    for (int n = 0; !stop; ++n)
      if (n % kParameters != kMarker) e->setParameter(e, n % kParameters, (n % 100) / 100.0f);
  });
  auto selectPrograms = [&](int stride) {
    VstIntPtr bankSize = 0;
    bool bankSizeSteady = true;
    for (int n = 0; !stop; ++n) {
      void* data = nullptr;
      VstIntPtr size = e->dispatcher(e, effGetChunk, n % 2, 0, &data, 0);
      if (n % 2 == 0) {
        if (bankSize == 0) bankSize = size;
        bankSizeSteady = bankSizeSteady && size == bankSize;
      }
      e->getParameter(e, n % kParameters);
      e->dispatcher(e, effSetProgram, 0, (n * stride) % kPrograms, nullptr, 0);
      char text[64];
      e->dispatcher(e, effGetParamDisplay, n % kParameters, 0, text, 0);
    }
    EXPECT_TRUE(bankSizeSteady) << "a bank chunk was taken while a slot was half stored";
  };
  std::thread ui(selectPrograms, 1);
  std::thread secondUi(selectPrograms, 7);
  audio.join();
  automation.join();
  ui.join();
  secondUi.join();

  EXPECT_TRUE(audioFinite);
  for (int p = 0; p < kPrograms; ++p) {
    i.Call(effSetProgram, 0, p);
    EXPECT_EQ(e->getParameter(e, kMarker), marker[static_cast<size_t>(p)]) << "program " << p;
  }
}

// A program selected while the audio thread plays reaches the engine whole:
// no block renders some of its values with some of the program before.
TEST(Concurrency, ProgramsSelectedDuringPlayReachTheEngineWhole) {
  testhost::Instance i;
  AEffect* e = i.effect;
  const Kestrion& k = *InstrumentOf(e);
  const int moved[] = {Param::Volume, Param::EgIntensity, Param::KeyTrack, Param::VcaVelocity};
  auto engineValues = [&k] {
    const Instrument& engine = k.Engine();
    return std::vector<double>{engine.volume, engine.filter.egIntensity, engine.filter.keyTrack, engine.vcaVelocity};
  };
  std::vector<double> programs[2];
  for (int p = 0; p < 2; ++p) {
    i.Call(effSetProgram, 0, p + 1);
    for (int index : moved) e->setParameter(e, index, p == 0 ? 0.25f : 0.75f);
    programs[p] = engineValues();
  }
  ASSERT_NE(programs[0], programs[1]);
  i.Call(effMainsChanged, 0, 1);

  std::atomic<bool> stop{false};
  int mixed = 0;
  std::thread audio([&] {
    std::vector<float> l(64), r(64);
    float* outs[2] = {l.data(), r.data()};
    for (int n = 0; n < 20000; ++n) {
      e->processReplacing(e, nullptr, outs, 64);
      const std::vector<double> now = engineValues();
      if (now != programs[0] && now != programs[1]) ++mixed;
    }
    stop = true;
  });
  for (int n = 0; !stop; ++n) i.Call(effSetProgram, 0, 1 + n % 2);
  audio.join();
  EXPECT_EQ(mixed, 0);
}
