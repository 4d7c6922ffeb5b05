// What a second of audio costs at 44100 Hz, reported as "rt" (audio seconds
// per CPU second): the default program holding a note, a patch with every
// oscillator, noise, full resonance and an envelope sweeping the cutoff, the
// same with the oscillator effects and the arpeggiator, a fast note
// sequence, an idle instance, and the filter's recurrence alone, the floor
// of the design.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "dsp/Envelope.h"
#include "dsp/LadderFilter.h"
#include "dsp/SharedPitchTables.h"
#include "instrument/Kestrion.h"
#include "instrument/ParameterIndex.h"
#include "tests/dsp/Patches.h"
#include "vst2/VstAbi.h"
#include "vst2/VstPlugin.h"

using namespace dsp;

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;

vst::VstIntPtr Host(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

class Instance {
 public:
  Instance() : effect_(CreateKestrion(&Host)), left_(kBlock), right_(kBlock) {
    Call(vst::effOpen);
    Call(vst::effSetSampleRate, 0, nullptr, float(kRate));
    Call(vst::effSetBlockSize, kBlock);
    Call(vst::effMainsChanged, 1);
  }
  ~Instance() { Call(vst::effClose); }

  void Set(int index, float normalised) { effect_->setParameter(effect_, index, normalised); }

  void Note(std::uint8_t status, std::uint8_t key, std::uint8_t velocity) {
    vst::VstMidiEvent midi{};
    midi.type = vst::kVstMidiType;
    midi.byteSize = sizeof midi;
    midi.midiData[0] = char(status);
    midi.midiData[1] = char(key);
    midi.midiData[2] = char(velocity);
    vst::VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<vst::VstEvent*>(&midi);
    Call(vst::effProcessEvents, 0, &events);
  }

  void Render() {
    float* outputs[2] = {left_.data(), right_.data()};
    effect_->processReplacing(effect_, nullptr, outputs, kBlock);
    benchmark::DoNotOptimize(left_.data());
  }

 private:
  vst::VstIntPtr Call(vst::VstInt32 op, vst::VstIntPtr value = 0, void* ptr = nullptr, float opt = 0) {
    return effect_->dispatcher(effect_, op, 0, value, ptr, opt);
  }
  vst::AEffect* effect_;
  std::vector<float> left_, right_;
};

void ReportRealTime(benchmark::State& state, std::int64_t samples) {
  state.counters["rt"] = benchmark::Counter(double(samples) / kRate, benchmark::Counter::kIsRate);
}

void HeldNoteDefaultProgram(benchmark::State& state) {
  Instance synth;
  synth.Note(0x90, 57, 100);
  std::int64_t samples = 0;
  for (auto _ : state) {
    synth.Render();
    samples += kBlock;
  }
  ReportRealTime(state, samples);
}

void FourOscillatorsNoiseResonanceSweep(benchmark::State& state) {
  Instance synth;
  patches::ResonantOscillators(synth);
  synth.Set(Param::Wave4, 0.0f);        // triangle
  synth.Set(Param::Octave3, 2.0f / 3);  // 4'
  synth.Set(Param::Octave4, 0.0f);      // 16'
  synth.Set(Param::PulseWidth, 0.3f);
  synth.Set(Param::Eg1Attack, 0.35f);
  synth.Set(Param::Eg1Sustain, 0.2f);
  std::int64_t samples = 0;
  int block = 0;
  for (auto _ : state) {
    // A new note every half second keeps the envelope sweeping.
    if (block++ % 43 == 0) synth.Note(0x90, std::uint8_t(45 + block % 5), 110);
    synth.Render();
    samples += kBlock;
  }
  ReportRealTime(state, samples);
}

// The four-oscillator patch with hard sync and cross-modulation in pairs
// ("S\&X", Double mode), frequency modulation from MG1 and the arpeggiator
// playing a held chord in sixteenths over four octaves.
void ArpeggioWithSyncAndCrossModulation(benchmark::State& state) {
  Instance synth;
  patches::ResonantOscillators(synth);
  synth.Set(Param::Wave4, 1.0f / 3);    // sawtooth
  synth.Set(Param::Octave2, 2.0f / 3);  // 4'
  patches::SyncAndCrossModulation(synth, 0.2f, 0.4f);
  patches::TempoArpeggio(synth, 0.0f);  // "Full"
  for (std::uint8_t key : {48, 51, 55, 58}) synth.Note(0x90, key, 100);
  std::int64_t samples = 0;
  for (auto _ : state) {
    synth.Render();
    samples += kBlock;
  }
  ReportRealTime(state, samples);
}

void FastNoteSequence(benchmark::State& state) {
  Instance synth;
  synth.Set(Param::Eg2Release, 0.3f);
  std::int64_t samples = 0;
  int block = 0;
  for (auto _ : state) {
    // Sixteenth notes at 160 BPM, about one every four blocks.
    if (block % 4 == 0) synth.Note(0x90, std::uint8_t(48 + (block / 4) % 12), 100);
    if (block % 4 == 2) synth.Note(0x80, std::uint8_t(48 + (block / 4) % 12), 0);
    ++block;
    synth.Render();
    samples += kBlock;
  }
  ReportRealTime(state, samples);
}

void IdleInstance(benchmark::State& state) {
  Instance synth;
  std::int64_t samples = 0;
  for (auto _ : state) {
    synth.Render();
    samples += kBlock;
  }
  ReportRealTime(state, samples);
}

// The per-sample solve alone: the same filter, fed a sawtooth, at full
// resonance with a fixed cutoff.
void FilterRecurrence(benchmark::State& state) {
  const PitchTables* tables = AcquirePitchTables(kRate);
  LadderFilter filter;
  filter.cutoffBase = 9000.0;
  SetResonance(filter, 1.0);
  Envelope eg1;  // idle: steps cost nothing
  std::vector<double> input(kBlock), output(kBlock);
  for (int i = 0; i < kBlock; ++i) input[i] = (i % 100) / 50.0 - 1.0;
  std::int64_t samples = 0;
  for (auto _ : state) {
    for (int i = 0; i < kBlock; ++i) output[i] = FilterSample(filter, input[i], eg1, *tables);
    benchmark::DoNotOptimize(output.data());
    samples += kBlock;
  }
  ReportRealTime(state, samples);
  ReleasePitchTables(tables);
}

BENCHMARK(HeldNoteDefaultProgram);
BENCHMARK(FourOscillatorsNoiseResonanceSweep);
BENCHMARK(ArpeggioWithSyncAndCrossModulation);
BENCHMARK(FastNoteSequence);
BENCHMARK(IdleInstance);
BENCHMARK(FilterRecurrence);

}  // namespace

BENCHMARK_MAIN();
