// What each format's adapter adds to a block: the same notes and parameter
// changes rendered through the VST 2.4 module, the CLAP module and the VST 3
// bundle, each loaded as its host loads it, in blocks of 64 frames at 48 kHz.
//   kestrion_format_bench Kestrion.so Kestrion.clap Kestrion.vst3
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/claphost/ClapHost.h"
#include "tools/vst3host/Vst3Host.h"
#include "tools/vsthost/VstHost.h"

namespace {

constexpr std::uint32_t kBlock = 64;
constexpr int kCutoff = 43;
std::string gVstPath, gClapPath, gVst3Path;

// Every 16th block a note starts or ends and the cutoff moves.
bool Turn(std::int64_t block) { return block % 16 == 0; }
int KeyOf(std::int64_t block) { return 48 + static_cast<int>(block / 16 % 12); }

void Vst(benchmark::State& state) {
  vsthost::VstHost host;
  std::string error;
  if (!host.Load(gVstPath, &error)) return state.SkipWithError(error.c_str());
  host.Open();
  host.SetSampleRate(48000);
  host.SetBlockSize(kBlock);
  host.SetActive(true);
  std::vector<float> left(kBlock), right(kBlock);
  float* outputs[2] = {left.data(), right.data()};
  std::int64_t block = 0;
  for (auto _ : state) {
    if (Turn(block)) {
      const std::uint8_t key = static_cast<std::uint8_t>(KeyOf(block));
      host.SendMidi({{0, {0x90, key, 100}}, {32, {0x80, static_cast<std::uint8_t>(key - 1), 0}}});
      host.SetParameter(kCutoff, static_cast<float>(block % 256) / 255.0f);
    }
    host.Process(nullptr, outputs, kBlock);
    benchmark::DoNotOptimize(left.data());
    ++block;
  }
  state.SetItemsProcessed(state.iterations());
}

void Clap(benchmark::State& state) {
  claphost::ClapHost host;
  std::string error;
  if (!host.Load(gClapPath, &error)) return state.SkipWithError(error.c_str());
  host.Activate(48000, kBlock);
  std::int64_t block = 0;
  const std::vector<claphost::Event> none;
  for (auto _ : state) {
    if (Turn(block)) {
      const int key = KeyOf(block);
      host.Process(kBlock, {claphost::NoteOn(0, key, 100 / 127.0), claphost::NoteOff(32, key - 1),
                            claphost::ParamValue(0, kCutoff, static_cast<double>(block % 256) / 255.0)});
    } else {
      host.Process(kBlock, none);
    }
    benchmark::DoNotOptimize(host.Left().data());
    ++block;
  }
  state.SetItemsProcessed(state.iterations());
}

void Vst3(benchmark::State& state) {
  vst3host::Vst3Host host;
  std::string error;
  if (!host.Load(gVst3Path, &error)) return state.SkipWithError(error.c_str());
  host.Activate(48000, kBlock);
  std::int64_t block = 0;
  const std::vector<vst3::Event> none;
  for (auto _ : state) {
    if (Turn(block)) {
      const int key = KeyOf(block);
      host.Process(kBlock, {vst3host::NoteOn(0, key, 100 / 127.0f), vst3host::NoteOff(32, key - 1)},
                   {{kCutoff, 0, static_cast<double>(block % 256) / 255.0}});
    } else {
      host.Process(kBlock, none);
    }
    benchmark::DoNotOptimize(host.Left().data());
    ++block;
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(Vst)->MinTime(2.0);
BENCHMARK(Clap)->MinTime(2.0);
BENCHMARK(Vst3)->MinTime(2.0);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: kestrion_format_bench Kestrion.so Kestrion.clap Kestrion.vst3 [benchmark options]\n");
    return 2;
  }
  gVstPath = argv[1];
  gClapPath = argv[2];
  gVst3Path = argv[3];
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
