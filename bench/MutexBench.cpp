// How long the audio thread waits for the plug-in mutex while another thread
// does what a host's UI thread does: the bank chunk fetched and restored,
// program changes, parameter storms, program files saved and loaded.
//
// One instance runs at 48000 Hz in 64-sample blocks with a chord of a
// factory program held. The audio thread renders a fixed number of blocks,
// first with the other thread idle, then with it busy. Before each block it
// takes the mutex itself (it is re-entrant, so processReplacing takes it
// again at no cost): the time from asking to getting is the block's wait.
// The other thread takes the mutex itself around each host call the same
// way, so the time it holds it is that call's hold. The file commands take
// the mutex on their own, for the in-memory part only; they are timed whole.
//
//   kestrion_mutex_bench [blocks] [--fast]
//
// Each block starts at its real-time deadline, as a sound card would ask for
// it, on a thread at real-time priority when the system grants it; --fast
// runs them back to back at normal priority.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>
#include <sched.h>

#include "vst2/VstPlugin.h"
#include "vst2/VstAbi.h"
#include "instrument/Kestrion.h"
#include "instrument/Synth.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = 48000;
constexpr int kBlock = 64;
constexpr int kDefaultBlocks = 20000;  // about 27 s of audio
constexpr int kChordProgram = 41;
constexpr std::uint8_t kChord[] = {48, 55, 60, 64, 67};
constexpr int kRestrikeBlocks = 1500;  // 2 s: the chord sounds whatever the other thread did
constexpr double kBlockBudgetMicroseconds = 1e6 * kBlock / kRate;
constexpr double kTargetMicroseconds = kBlockBudgetMicroseconds / 4;
// A storm moves every parameter a little and back, as automation would,
// so that the chord keeps sounding.
constexpr float kStormSteps[] = {0.05f, -0.05f, 0.0f};

enum Operation {
  kGetBank, kSetBank, kSetProgram, kGetParameter, kSetParameter, kSaveProgram, kLoadProgram, kOperationCount
};
constexpr const char* kOperationNames[kOperationCount] = {
    "effGetChunk (bank)", "effSetChunk (bank)", "effSetProgram",  "getParameter",
    "setParameter",       "SaveProgramFile",    "LoadProgramFile"};
// The file commands are timed whole, disk included; the others as holds.
constexpr bool kTimedWhole[kOperationCount] = {false, false, false, false, false, true, true};
// Waits while the other thread is between operations are the audio thread's own.
constexpr int kIdle = kOperationCount;

double Microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

vst::VstIntPtr HostCallback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

// Nearest rank: the smallest value that `fraction` of the values do not exceed.
double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t rank = std::size_t(std::ceil(fraction * double(values.size())));
  return values[std::max<std::size_t>(rank, 1) - 1];
}

class Instance {
 public:
  Instance() : effect_(CreateKestrion(&HostCallback)) {
    if (!effect_) {
      std::fprintf(stderr, "no instance\n");
      std::exit(1);
    }
    Call(vst::effOpen);
    Call(vst::effSetSampleRate, 0, 0, nullptr, float(kRate));
    Call(vst::effSetBlockSize, 0, kBlock);
    Call(vst::effMainsChanged, 0, 1);
  }
  ~Instance() {
    Call(vst::effMainsChanged, 0, 0);
    Call(vst::effClose);
  }

  vst::VstIntPtr Call(vst::VstInt32 op, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                      void* ptr = nullptr, float opt = 0) {
    return effect_->dispatcher(effect_, op, index, value, ptr, opt);
  }
  void SetParameter(int index, float value) { effect_->setParameter(effect_, index, value); }
  float GetParameter(int index) { return effect_->getParameter(effect_, index); }
  void Render(float** outputs) { effect_->processReplacing(effect_, nullptr, outputs, kBlock); }
  Synth& Plugin() { return *InstrumentOf(effect_); }
  platform::PluginMutex& Mutex() { return Plugin().Mutex(); }

  // What a host sends before a process call.
  void Chord(std::uint8_t status) {
    vst::VstMidiEvent midi[std::size(kChord)] = {};
    struct {
      vst::VstInt32 numEvents;
      vst::VstIntPtr reserved;
      vst::VstEvent* events[std::size(kChord)];
    } list{};
    for (std::size_t i = 0; i < std::size(kChord); ++i) {
      midi[i].type = vst::kVstMidiType;
      midi[i].byteSize = sizeof midi[i];
      midi[i].midiData[0] = char(status);
      midi[i].midiData[1] = char(kChord[i]);
      midi[i].midiData[2] = char(status == 0x90 ? 100 : 0);
      list.events[i] = reinterpret_cast<vst::VstEvent*>(&midi[i]);
    }
    list.numEvents = vst::VstInt32(std::size(kChord));
    Call(vst::effProcessEvents, 0, 0, &list);
  }

 private:
  vst::AEffect* effect_;
};

// Per block: the whole block as the host sees it, and its wait for the mutex;
// and what the other thread was doing when the block asked for it. The
// blocks that sounded show that the engine had work to do.
struct AudioTimes {
  std::vector<double> block, wait;
  std::vector<int> waitedOn;
  int sounding = 0;
  bool realTime = false;
};

// A host's audio thread runs at real-time priority; without it, whatever
// else the machine runs shows up in the block times.
bool SetRealTimePriority(bool on) {
  sched_param priority{};
  priority.sched_priority = on ? sched_get_priority_min(SCHED_FIFO) + 10 : 0;
  return pthread_setschedparam(pthread_self(), on ? SCHED_FIFO : SCHED_OTHER, &priority) == 0;
}

AudioTimes RenderBlocks(Instance& synth, int blocks, bool paced, const std::atomic<int>& otherIsDoing) {
  std::vector<float> left(kBlock), right(kBlock);
  float* outputs[2] = {left.data(), right.data()};
  AudioTimes times;
  times.block.resize(std::size_t(blocks));
  times.wait.resize(std::size_t(blocks));
  times.waitedOn.resize(std::size_t(blocks));
  const auto period =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(double(kBlock) / kRate));
  times.realTime = paced && SetRealTimePriority(true);
  const Clock::time_point start = Clock::now();
  for (int b = 0; b < blocks; ++b) {
    if (paced) std::this_thread::sleep_until(start + b * period);
    const int doing = otherIsDoing.load(std::memory_order_relaxed);
    const Clock::time_point asked = Clock::now();
    synth.Mutex().lock();
    const Clock::time_point got = Clock::now();
    if (b % kRestrikeBlocks == kRestrikeBlocks - 1) synth.Chord(0x80);
    if (b % kRestrikeBlocks == 0) synth.Chord(0x90);
    synth.Render(outputs);
    synth.Mutex().unlock();
    const Clock::time_point done = Clock::now();
    times.block[std::size_t(b)] = Microseconds(done - asked);
    times.wait[std::size_t(b)] = Microseconds(got - asked);
    times.waitedOn[std::size_t(b)] = doing;
    if (std::any_of(left.begin(), left.end(), [](float s) { return s != 0; })) ++times.sounding;
  }
  if (times.realTime) SetRealTimePriority(false);
  return times;
}

struct OperationTimes {
  std::vector<double> held[kOperationCount];
  long failures = 0;
};

// What a host's UI thread does in a loop until told to stop.
class OtherThread {
 public:
  OtherThread(Instance& synth, std::string programFile) : synth_(synth), programFile_(std::move(programFile)) {}

  OperationTimes Run(const std::atomic<bool>& stop) {
    for (int cycle = 0; !stop.load(); ++cycle) {
      vst::VstIntPtr size = 0;
      void* data = nullptr;
      Held(kGetBank, [&] { size = synth_.Call(vst::effGetChunk, 0, 0, &data); });
      // The host keeps its own copy, as it would in a project file.
      bank_.assign(static_cast<const char*>(data), static_cast<const char*>(data) + (data ? size : 0));
      Held(kSetBank, [&] {
        Check(synth_.Call(vst::effSetChunk, 0, vst::VstIntPtr(bank_.size()), bank_.data()) == 1);
      });
      Held(kSetProgram, [&] { synth_.Call(vst::effSetProgram, 0, (cycle * 7) % 64); });
      for (int index = 0; index < synth_.Plugin().ParameterCount(); ++index) {
        float value = 0;
        Held(kGetParameter, [&] { value = synth_.GetParameter(index); });
        for (float step : kStormSteps)
          Held(kSetParameter, [&] { synth_.SetParameter(index, std::clamp(value + step, 0.0f, 1.0f)); });
      }
      Whole(kSaveProgram, [&] { Check(synth_.Plugin().SaveProgramFile(programFile_)); });
      Whole(kLoadProgram, [&] { Check(synth_.Plugin().LoadProgramFile(programFile_)); });
    }
    return std::move(times_);
  }

  std::atomic<int> doing{kIdle};

 private:
  void Held(Operation op, const std::function<void()>& call) {
    doing.store(op, std::memory_order_relaxed);
    Clock::duration held;
    {
      IEffectBase::Lock lock(synth_.Mutex());
      const Clock::time_point start = Clock::now();
      call();
      held = Clock::now() - start;
    }
    Record(op, held);
  }
  void Whole(Operation op, const std::function<void()>& call) {
    doing.store(op, std::memory_order_relaxed);
    const Clock::time_point start = Clock::now();
    call();
    Record(op, Clock::now() - start);
  }
  // After the release: growing the record must not count against the operation.
  void Record(Operation op, Clock::duration time) {
    doing.store(kIdle, std::memory_order_relaxed);
    times_.held[op].push_back(Microseconds(time));
  }
  void Check(bool ok) { times_.failures += ok ? 0 : 1; }

  Instance& synth_;
  std::string programFile_;
  std::vector<char> bank_;
  OperationTimes times_;
};

void PrintAudio(const char* label, const AudioTimes& times) {
  std::printf("  %-22s %8.1f %8.1f %8.1f   %8.1f %8.1f %8.1f   %5.1f %%%s\n", label,
              Percentile(times.block, 0.5), Percentile(times.block, 0.999), Percentile(times.block, 1.0),
              Percentile(times.wait, 0.5), Percentile(times.wait, 0.999), Percentile(times.wait, 1.0),
              100.0 * times.sounding / double(times.block.size()), times.realTime ? "   real-time priority" : "");
}

void PrintOperations(const OperationTimes& times, const AudioTimes& audio) {
  std::printf("\nother thread (us)          count   median    worst   audio meanwhile: worst wait  waits over target\n");
  for (int op = 0; op <= kIdle; ++op) {
    double worstWait = 0;
    int overTarget = 0;
    for (std::size_t b = 0; b < audio.wait.size(); ++b) {
      if (audio.waitedOn[b] != op) continue;
      worstWait = std::max(worstWait, audio.wait[b]);
      overTarget += audio.wait[b] > kTargetMicroseconds;
    }
    if (op == kIdle) {
      std::printf("  %-22s %7s %8s %8s   %26.1f %18d\n", "(between operations)", "", "", "", worstWait, overTarget);
      break;
    }
    const std::vector<double>& held = times.held[op];
    std::printf("  %-22s %7zu %8.1f %8.1f   %26.1f %18d%s\n", kOperationNames[op], held.size(),
                Percentile(held, 0.5), Percentile(held, 1.0), worstWait, overTarget,
                kTimedWhole[op] ? "   (whole call, disk included)" : "");
  }
  if (times.failures) std::printf("  %ld operations failed\n", times.failures);
}

}  // namespace

int main(int argc, char** argv) {
  int blocks = kDefaultBlocks;
  bool paced = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--fast") == 0) paced = false;
    else blocks = std::max(1, std::atoi(argv[i]));
  }
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
      ("kestrion-mutex-bench-" + std::to_string(Clock::now().time_since_epoch().count()));
  std::filesystem::create_directory(folder);

  Instance synth;
  synth.Call(vst::effSetProgram, 0, kChordProgram);
  std::printf("%d blocks of %d samples at %d Hz, %s; budget %.0f us a block, target %.0f us\n\n", blocks,
              kBlock, kRate, paced ? "paced to real time" : "back to back", kBlockBudgetMicroseconds,
              kTargetMicroseconds);
  std::printf("audio thread (us)          block: median  99.9%%    worst   wait: median  99.9%%    worst   sounding\n");

  OtherThread other(synth, (folder / "program.fxp").string());
  const AudioTimes idle = RenderBlocks(synth, blocks, paced, other.doing);
  PrintAudio("other thread idle", idle);

  synth.Call(vst::effSetProgram, 0, kChordProgram);
  std::atomic<bool> stop{false};
  OperationTimes operations;
  std::thread ui([&] { operations = other.Run(stop); });
  const AudioTimes busy = RenderBlocks(synth, blocks, paced, other.doing);
  stop.store(true);
  ui.join();
  PrintAudio("other thread busy", busy);
  PrintOperations(operations, busy);

  const double worst = Percentile(busy.block, 1.0);
  std::printf("\nworst block with the other thread busy: %.1f us, %s the %.0f us target\n", worst,
              worst < kTargetMicroseconds ? "within" : "over", kTargetMicroseconds);
  std::filesystem::remove_all(folder);
  return 0;
}
