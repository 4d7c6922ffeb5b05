// What the audio thread does while another thread does what a host's UI
// thread does: the locks it takes and the waits it makes in each block, how
// long each block takes, and which calls reach the host while the
// instrument holds a lock.
//
// One instance runs at 48000 Hz in 64-sample blocks with a chord of a
// factory program held, struck again every 1500 blocks through
// effProcessEvents. The audio thread renders a fixed number of blocks, first
// with the other thread idle, then with it storming the instrument. Around
// each block (its events and its process call) the audio thread counts, by
// standing in for the system's lock calls, the blocking locks, try-locks and
// waits it makes, and reads from the kernel how often it gave up the CPU
// (a voluntary switch: it blocked) or had it taken away (preempted). The
// host callback notes for every call whether it came from the audio thread,
// whether the calling thread held a pthread lock, and whether the instrument
// says that thread holds its mutex or its engine.
//
//   kestrion_audio_thread_bench [blocks] [--fast]
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
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

#include "instrument/Kestrion.h"
#include "instrument/Synth.h"
#include "tools/validator/AudioThreadWatch.h"
#include "vst2/VstAbi.h"
#include "vst2/VstPlugin.h"

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
  kGetBank,
  kSetBank,
  kSetProgram,
  kGetParameter,
  kSetParameter,
  kSaveProgram,
  kLoadProgram,
  kOperationCount
};
constexpr const char* kOperationNames[kOperationCount] = {"effGetChunk (bank)", "effSetChunk (bank)", "effSetProgram",
                                                          "getParameter",       "setParameter",       "SaveProgramFile",
                                                          "LoadProgramFile"};
// Blocks while the other thread is between operations.
constexpr int kIdle = kOperationCount;

constexpr const char* kLoad =
    "the other thread, in a loop: effGetChunk of the bank (the host keeps a copy), effSetChunk of that\n"
    "copy, effSetProgram (the next of every 7th of 64), then for each parameter getParameter and three\n"
    "setParameter calls (+0.05, -0.05, back), then the current program saved to an .fxp file with\n"
    "SaveProgramFile and loaded again with LoadProgramFile";

double Microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// Nearest rank: the smallest value that `fraction` of the values do not exceed.
template <typename T>
T Percentile(std::vector<T> values, double fraction) {
  if (values.empty()) return T();
  std::sort(values.begin(), values.end());
  const std::size_t rank = std::size_t(std::ceil(fraction * double(values.size())));
  return values[std::max<std::size_t>(rank, 1) - 1];
}

// The instrument's own answer to whether the calling thread holds its mutex
// or its engine. Those questions are protected; a pointer to them formed
// through a derived class asks them of any instance, changing nothing.
struct LockReport : EffectBase {
  static bool HoldsMutexOn(const EffectBase& base) { return (base.*&LockReport::HoldsMutex)(); }
  static bool HoldsEngineOn(const EffectBase& base) { return (base.*&LockReport::HoldsEngine)(); }
};

// What the host callback saw, per opcode.
struct HostCallCounts {
  static constexpr int kOpcodes = 64;
  std::atomic<long> calls[kOpcodes] = {}, fromAudio[kOpcodes] = {}, mutexHeld[kOpcodes] = {}, engineHeld[kOpcodes] = {};
};
HostCallCounts gHostCalls;
std::atomic<const EffectBase*> gInstrument{nullptr};
thread_local bool tAudioThread = false;

thread_local bool tInHostCallback = false;

vst::VstIntPtr HostCallback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
  tInHostCallback = true;
  const int slot = std::clamp(int(opcode), 0, HostCallCounts::kOpcodes - 1);
  ++gHostCalls.calls[slot];
  if (tAudioThread) ++gHostCalls.fromAudio[slot];
  if (const EffectBase* instrument = gInstrument.load()) {
    if (LockReport::HoldsMutexOn(*instrument)) ++gHostCalls.mutexHeld[slot];
    if (LockReport::HoldsEngineOn(*instrument)) ++gHostCalls.engineHeld[slot];
  }
  tInHostCallback = false;
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

const char* OpcodeName(int opcode) {
  switch (opcode) {
    case vst::audioMasterAutomate: return "audioMasterAutomate";
    case vst::audioMasterVersion: return "audioMasterVersion";
    case vst::audioMasterWantMidi: return "audioMasterWantMidi";
    case vst::audioMasterGetTime: return "audioMasterGetTime";
    case vst::audioMasterProcessEvents: return "audioMasterProcessEvents";
    case vst::audioMasterIOChanged: return "audioMasterIOChanged";
    case vst::audioMasterGetVendorString: return "audioMasterGetVendorString";
    case vst::audioMasterCanDo: return "audioMasterCanDo";
    case vst::audioMasterUpdateDisplay: return "audioMasterUpdateDisplay";
    case vst::audioMasterBeginEdit: return "audioMasterBeginEdit";
    case vst::audioMasterEndEdit: return "audioMasterEndEdit";
    default: return "";
  }
}

class Instance {
 public:
  Instance() : effect_(CreateKestrion(&HostCallback)) {
    if (!effect_) {
      std::fprintf(stderr, "no instance\n");
      std::exit(1);
    }
    gInstrument.store(&Plugin());
    Call(vst::effOpen);
    Call(vst::effSetSampleRate, 0, 0, nullptr, float(kRate));
    Call(vst::effSetBlockSize, 0, kBlock);
    Call(vst::effMainsChanged, 0, 1);
  }
  ~Instance() {
    Call(vst::effMainsChanged, 0, 0);
    Call(vst::effClose);
    gInstrument.store(nullptr);
  }

  vst::VstIntPtr Call(vst::VstInt32 op, vst::VstInt32 index = 0, vst::VstIntPtr value = 0, void* ptr = nullptr,
                      float opt = 0) {
    return effect_->dispatcher(effect_, op, index, value, ptr, opt);
  }
  void SetParameter(int index, float value) { effect_->setParameter(effect_, index, value); }
  float GetParameter(int index) { return effect_->getParameter(effect_, index); }
  void Render(float** outputs) { effect_->processReplacing(effect_, nullptr, outputs, kBlock); }
  Synth& Plugin() { return *InstrumentOf(effect_); }

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

// One block as the audio thread saw it: its events and process call timed
// whole, what it counted meanwhile, and what the other thread was doing
// when it began.
struct BlockRecord {
  double microseconds = 0;
  validator::AudioThreadCounts locks;
  long blocked = 0;    // voluntary context switches
  long preempted = 0;  // involuntary ones
  int otherWasDoing = kIdle;
  bool sounding = false;
};

struct AudioRun {
  std::vector<BlockRecord> blocks;
  bool realTime = false;
};

// A host's audio thread runs at real-time priority; without it, whatever
// else the machine runs shows up in the block times.
bool SetRealTimePriority(bool on) {
  sched_param priority{};
  priority.sched_priority = on ? sched_get_priority_min(SCHED_FIFO) + 10 : 0;
  return pthread_setschedparam(pthread_self(), on ? SCHED_FIFO : SCHED_OTHER, &priority) == 0;
}

rusage ThreadUsage() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage;
}

AudioRun RenderBlocks(Instance& synth, int blocks, bool paced, const std::atomic<int>& otherIsDoing) {
  std::vector<float> left(kBlock), right(kBlock);
  float* outputs[2] = {left.data(), right.data()};
  AudioRun run;
  run.blocks.resize(std::size_t(blocks));
  const auto period =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(double(kBlock) / kRate));
  run.realTime = paced && SetRealTimePriority(true);
  tAudioThread = true;
  const Clock::time_point start = Clock::now();
  for (int b = 0; b < blocks; ++b) {
    if (paced) std::this_thread::sleep_until(start + b * period);
    BlockRecord& record = run.blocks[std::size_t(b)];
    record.otherWasDoing = otherIsDoing.load(std::memory_order_relaxed);
    const rusage before = ThreadUsage();
    validator::StartAudioThreadWatch();
    const Clock::time_point began = Clock::now();
    if (b % kRestrikeBlocks == kRestrikeBlocks - 1) synth.Chord(0x80);
    if (b % kRestrikeBlocks == 0) synth.Chord(0x90);
    synth.Render(outputs);
    const Clock::time_point done = Clock::now();
    record.locks = validator::StopAudioThreadWatch();
    const rusage after = ThreadUsage();
    record.microseconds = Microseconds(done - began);
    record.blocked = after.ru_nvcsw - before.ru_nvcsw;
    record.preempted = after.ru_nivcsw - before.ru_nivcsw;
    record.sounding = std::any_of(left.begin(), left.end(), [](float s) { return s != 0; });
  }
  tAudioThread = false;
  if (run.realTime) SetRealTimePriority(false);
  return run;
}

struct OperationTimes {
  std::vector<double> call[kOperationCount];
  long failures = 0;
};

// What a host's UI thread does in a loop until told to stop, each call
// timed whole.
class OtherThread {
 public:
  OtherThread(Instance& synth, std::string programFile) : synth_(synth), programFile_(std::move(programFile)) {}

  OperationTimes Run(const std::atomic<bool>& stop) {
    for (int cycle = 0; !stop.load(); ++cycle) {
      vst::VstIntPtr size = 0;
      void* data = nullptr;
      Timed(kGetBank, [&] { size = synth_.Call(vst::effGetChunk, 0, 0, &data); });
      // The host keeps its own copy, as it would in a project file.
      bank_.assign(static_cast<const char*>(data), static_cast<const char*>(data) + (data ? size : 0));
      Timed(kSetBank,
            [&] { Check(synth_.Call(vst::effSetChunk, 0, vst::VstIntPtr(bank_.size()), bank_.data()) == 1); });
      Timed(kSetProgram, [&] { synth_.Call(vst::effSetProgram, 0, (cycle * 7) % 64); });
      for (int index = 0; index < synth_.Plugin().ParameterCount(); ++index) {
        float value = 0;
        Timed(kGetParameter, [&] { value = synth_.GetParameter(index); });
        for (float step : kStormSteps)
          Timed(kSetParameter, [&] { synth_.SetParameter(index, std::clamp(value + step, 0.0f, 1.0f)); });
      }
      Timed(kSaveProgram, [&] { Check(synth_.Plugin().SaveProgramFile(programFile_)); });
      Timed(kLoadProgram, [&] { Check(synth_.Plugin().LoadProgramFile(programFile_)); });
    }
    return std::move(times_);
  }

  std::atomic<int> doing{kIdle};

 private:
  void Timed(Operation op, const std::function<void()>& call) {
    doing.store(op, std::memory_order_relaxed);
    const Clock::time_point start = Clock::now();
    call();
    const Clock::duration time = Clock::now() - start;
    // Growing the record must not count against the operation.
    doing.store(kIdle, std::memory_order_relaxed);
    times_.call[op].push_back(Microseconds(time));
  }
  void Check(bool ok) { times_.failures += ok ? 0 : 1; }

  Instance& synth_;
  std::string programFile_;
  std::vector<char> bank_;
  OperationTimes times_;
};

std::vector<double> BlockTimes(const AudioRun& run) {
  std::vector<double> times;
  for (const BlockRecord& block : run.blocks) times.push_back(block.microseconds);
  return times;
}

void PrintBlockTimes(const char* label, const AudioRun& run) {
  const std::vector<double> times = BlockTimes(run);
  int overTarget = 0, overBudget = 0, sounding = 0;
  for (const BlockRecord& block : run.blocks) {
    overTarget += block.microseconds > kTargetMicroseconds;
    overBudget += block.microseconds > kBlockBudgetMicroseconds;
    sounding += block.sounding;
  }
  std::printf("  %-19s %7.1f %7.1f %7.1f %7.1f   %7d %7d   %6.1f %%%s\n", label, Percentile(times, 0.5),
              Percentile(times, 0.99), Percentile(times, 0.999), Percentile(times, 1.0), overTarget, overBudget,
              100.0 * sounding / double(times.size()), run.realTime ? "   real-time priority" : "");
}

// Total, blocks with any, and the most in one block.
template <typename Count>
void PrintPerBlock(const char* label, const AudioRun& run, Count count) {
  long total = 0, blocksWithAny = 0, most = 0;
  for (const BlockRecord& block : run.blocks) {
    const long n = long(count(block));
    total += n;
    blocksWithAny += n > 0;
    most = std::max(most, n);
  }
  std::printf("  %-44s %9ld %9.3f %9ld %9ld\n", label, total, double(total) / double(run.blocks.size()), blocksWithAny,
              most);
}

void PrintAudioThreadCalls(const char* phase, const AudioRun& run) {
  std::printf("\naudio thread, %-32s %9s %9s %9s %9s\n", phase, "total", "per block", "blocks", "most in");
  std::printf("  %-44s %9s %9s %9s %9s\n", "", "", "", "with any", "one block");
  PrintPerBlock("blocking lock calls (must be 0)", run, [](const BlockRecord& b) { return b.locks.locks; });
  PrintPerBlock("try-locks", run, [](const BlockRecord& b) { return b.locks.tryLocks; });
  PrintPerBlock("waits (condition, semaphore, futex, sleep)", run, [](const BlockRecord& b) { return b.locks.waits; });
  PrintPerBlock("blocked, as the kernel counts it", run, [](const BlockRecord& b) { return b.blocked; });
  PrintPerBlock("preempted, as the kernel counts it", run, [](const BlockRecord& b) { return b.preempted; });
}

void PrintOperations(const OperationTimes& times, const AudioRun& audio) {
  std::printf("\n  %-22s %8s %8s %8s   %21s %19s\n", "other thread (us)", "calls", "median", "worst",
              "worst block meanwhile", "blocks over target");
  for (int op = 0; op <= kIdle; ++op) {
    double worstBlock = 0;
    int overTarget = 0;
    for (const BlockRecord& block : audio.blocks) {
      if (block.otherWasDoing != op) continue;
      worstBlock = std::max(worstBlock, block.microseconds);
      overTarget += block.microseconds > kTargetMicroseconds;
    }
    if (op == kIdle) {
      std::printf("  %-22s %8s %8s %8s   %21.1f %19d\n", "(between operations)", "", "", "", worstBlock, overTarget);
      break;
    }
    const std::vector<double>& call = times.call[op];
    std::printf("  %-22s %8zu %8.1f %8.1f   %21.1f %19d%s\n", kOperationNames[op], call.size(), Percentile(call, 0.5),
                Percentile(call, 1.0), worstBlock, overTarget,
                op == kSaveProgram || op == kLoadProgram ? "   (disk included)" : "");
  }
  if (times.failures) std::printf("  %ld operations failed\n", times.failures);
}

// The worst blocks and what went with them: a block that was preempted
// or blocked waited for the machine, not for the instrument.
void PrintWorstBlocks(const AudioRun& run, int count) {
  std::vector<const BlockRecord*> worst;
  for (const BlockRecord& block : run.blocks) worst.push_back(&block);
  count = std::min(count, int(worst.size()));
  std::partial_sort(worst.begin(), worst.begin() + count, worst.end(),
                    [](const BlockRecord* a, const BlockRecord* b) { return a->microseconds > b->microseconds; });
  std::printf("\nworst blocks, other thread busy\n  %10s %9s %8s %6s %9s %6s   %s\n", "us", "preempted", "blocked",
              "locks", "try-locks", "waits", "other thread doing");
  for (int i = 0; i < count; ++i) {
    const BlockRecord& block = *worst[std::size_t(i)];
    std::printf("  %10.1f %9ld %8ld %6lld %9lld %6lld   %s\n", block.microseconds, block.preempted, block.blocked,
                static_cast<long long>(block.locks.locks), static_cast<long long>(block.locks.tryLocks),
                static_cast<long long>(block.locks.waits),
                block.otherWasDoing == kIdle ? "(between operations)" : kOperationNames[block.otherWasDoing]);
  }
  std::vector<double> unpreempted;
  for (const BlockRecord& block : run.blocks)
    if (block.preempted == 0 && block.blocked == 0) unpreempted.push_back(block.microseconds);
  std::printf("  worst of the %zu blocks neither preempted nor blocked: %.1f us\n", unpreempted.size(),
              Percentile(unpreempted, 1.0));
}

// Fails loudly when the watch would count nothing, rather than report a
// clean audio thread it never saw: one lock, one try-lock and one sleep,
// the sleep made inside the C++ library.
void CheckLockWatch() {
  std::mutex mutex;
  validator::StartAudioThreadWatch();
  mutex.lock();
  mutex.unlock();
  if (mutex.try_lock()) mutex.unlock();
  std::this_thread::sleep_for(std::chrono::nanoseconds(1));
  const validator::AudioThreadCounts counts = validator::StopAudioThreadWatch();
  if (counts.locks != 1 || counts.tryLocks != 1 || counts.waits != 1) {
    std::fprintf(stderr, "the lock watch counts nothing here (%lld locks, %lld try-locks, %lld waits)\n",
                 static_cast<long long>(counts.locks), static_cast<long long>(counts.tryLocks),
                 static_cast<long long>(counts.waits));
    std::exit(1);
  }
}

long PrintHostCalls() {
  std::printf("\n  %-30s %9s %11s %20s %7s\n", "host callbacks, whole run", "calls", "from audio", "caller held: mutex",
              "engine");
  long underLock = 0;
  for (int op = 0; op < HostCallCounts::kOpcodes; ++op) {
    const long calls = gHostCalls.calls[op];
    if (!calls) continue;
    const long mutex = gHostCalls.mutexHeld[op], engine = gHostCalls.engineHeld[op];
    underLock += std::max(mutex, engine);
    std::printf("  %-26s %3d %9ld %11ld %20ld %7ld\n", OpcodeName(op), op, calls, long(gHostCalls.fromAudio[op]), mutex,
                engine);
  }
  return underLock;
}

}  // namespace

// What the host's own callback does is not the plug-in's: the watch leaves it out.
namespace validator {
bool HostCallbackActive() { return tInHostCallback; }
}  // namespace validator

int main(int argc, char** argv) {
  int blocks = kDefaultBlocks;
  bool paced = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--fast") == 0)
      paced = false;
    else
      blocks = std::max(1, std::atoi(argv[i]));
  }
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("kestrion-audio-thread-bench-" + std::to_string(Clock::now().time_since_epoch().count()));
  std::filesystem::create_directory(folder);

  CheckLockWatch();
  Instance synth;
  synth.Call(vst::effSetProgram, 0, kChordProgram);
  std::printf("%d blocks of %d samples at %d Hz, %s; budget %.0f us a block, target %.0f us\n", blocks, kBlock, kRate,
              paced ? "paced to real time" : "back to back", kBlockBudgetMicroseconds, kTargetMicroseconds);
  std::printf("a block: effProcessEvents when the chord is struck or released, then processReplacing\n");
  std::printf("%s\n\n", kLoad);
  std::printf("  %-19s %7s %7s %7s %7s   %7s %7s   %8s\n", "block time (us)", "median", "99%", "99.9%", "worst",
              ">target", ">budget", "sounding");

  OtherThread other(synth, (folder / "program.fxp").string());
  const AudioRun idle = RenderBlocks(synth, blocks, paced, other.doing);
  PrintBlockTimes("other thread idle", idle);

  synth.Call(vst::effSetProgram, 0, kChordProgram);
  std::atomic<bool> stop{false};
  OperationTimes operations;
  std::thread ui([&] { operations = other.Run(stop); });
  const AudioRun busy = RenderBlocks(synth, blocks, paced, other.doing);
  stop.store(true);
  ui.join();
  PrintBlockTimes("other thread busy", busy);

  PrintAudioThreadCalls("other thread idle", idle);
  PrintAudioThreadCalls("other thread busy", busy);
  PrintWorstBlocks(busy, 5);
  PrintOperations(operations, busy);
  const long underLock = PrintHostCalls();

  long blockingLocks = 0;
  for (const AudioRun* run : {&idle, &busy})
    for (const BlockRecord& block : run->blocks) blockingLocks += block.locks.locks;
  const double worst = Percentile(BlockTimes(busy), 1.0);
  std::printf(
      "\nworst block with the other thread busy: %.1f us (budget %.0f us); blocking lock calls on the "
      "audio thread: %ld; host calls made holding a lock: %ld\n",
      worst, kBlockBudgetMicroseconds, blockingLocks, underLock);
  std::filesystem::remove_all(folder);
  return 0;
}
