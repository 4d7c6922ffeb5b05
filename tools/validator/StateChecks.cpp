// Bank and program state through effGetChunk / effSetChunk: a chunk restored
// into a fresh instance reads back the same and sounds the same; a chunk cut
// at any length, or corrupted, is refused or accepted without a crash, and
// when refused changes nothing a host can see.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "GuardedMemory.h"
#include "Validator.h"

namespace validator {

namespace {

using Bytes = std::vector<char>;

Bytes GetChunk(Instance& instance, bool program) {
  void* data = nullptr;
  vst::VstIntPtr size = instance.host.Dispatch(vst::effGetChunk, program ? 1 : 0, 0, &data);
  if (size <= 0 || !data) return {};
  const char* bytes = static_cast<const char*>(data);
  return Bytes(bytes, bytes + size);
}

vst::VstIntPtr SetChunk(Instance& instance, bool program, Bytes bytes) {
  // The plug-in reads from the host's memory only during the call.
  return instance.host.Dispatch(vst::effSetChunk, program ? 1 : 0, static_cast<vst::VstIntPtr>(bytes.size()),
                                bytes.data());
}

// What a host sees of the state without asking for a chunk.
struct VisibleState {
  std::vector<float> values;
  std::vector<std::string> names;
  std::int32_t program = 0;
};

VisibleState ReadState(const Instance& instance) {
  VisibleState state;
  const vst::AEffect* effect = instance.host.Effect();
  for (int index = 0; index < effect->numParams; ++index) state.values.push_back(instance.host.GetParameter(index));
  for (int program = 0; program < effect->numPrograms; ++program)
    state.names.push_back(instance.host.ProgramNameIndexed(program));
  state.program = instance.host.Program();
  return state;
}

// The first difference, or an empty string.
std::string FirstDifference(const VisibleState& before, const VisibleState& after) {
  for (std::size_t i = 0; i < before.values.size(); ++i)
    if (after.values[i] != before.values[i] && !(std::isnan(after.values[i]) && std::isnan(before.values[i])))
      return "parameter " + std::to_string(i) + " went from " + std::to_string(before.values[i]) + " to " +
             std::to_string(after.values[i]);
  for (std::size_t i = 0; i < before.names.size(); ++i)
    if (after.names[i] != before.names[i])
      return "program " + std::to_string(i) + " was renamed from '" + before.names[i] + "' to '" + after.names[i] + "'";
  if (after.program != before.program)
    return "the current program went from " + std::to_string(before.program) + " to " + std::to_string(after.program);
  return {};
}

// Every program renamed, the last one current and its parameters moved
// again: a state whose every part a partial restore would show.
void MoveAwayFromDefaults(Instance& instance, std::mt19937& random) {
  vst::AEffect* effect = instance.host.Effect();
  for (int program = 0; program < effect->numPrograms; ++program) {
    instance.host.SetProgram(program);
    char name[24];
    std::snprintf(name, sizeof name, "Checked %d", program);
    instance.host.Dispatch(vst::effSetProgramName, 0, 0, name);
  }
  instance.host.SetProgram(std::max(effect->numPrograms - 1, 0));
  for (int index = 0; index < effect->numParams; ++index)
    instance.host.SetParameter(index, std::uniform_real_distribution<float>(0.2f, 0.8f)(random));
}

std::vector<float> Sound(Instance& instance) {
  const int keys[3] = {57, 60, 64};
  return Render(instance, keys, 3, 40, 256);
}

double Difference(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return INFINITY;
  double largest = 0;
  for (std::size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::fabs(double(a[i]) - b[i]));
  return largest;
}

// Where a chunk is cut: at every length of its first kHeadBytes (the header
// and the first programs, every field and name of them), then at every
// kQuickStride-th length with --quick (a stride prime to the field sizes,
// so that it falls inside every name and at each alignment; every length of
// a 40 KB bank takes half a minute under ThreadSanitizer), or else at every
// length (a chunk over kMostCuts bytes at that many lengths spread evenly).
constexpr int kHeadBytes = 4096;
constexpr int kQuickStride = 13;
constexpr int kMostCuts = 65536;

int NextCut(int length, int size, bool quick) {
  if (length < kHeadBytes) return length + 1;
  if (quick) return length + kQuickStride;
  return length + (size > kMostCuts ? (size + kMostCuts - 1) / kMostCuts : 1);
}

// Cuts the chunk and gives each cut to an instance at its defaults; returns
// an empty string or what went wrong.
std::string CheckCuts(Instance& instance, bool program, const Bytes& chunk, bool answers, bool quick, Report& report,
                      int* cuts, int* accepted) {
  const Bytes defaults = GetChunk(instance, program);
  VisibleState current = ReadState(instance);
  const int size = static_cast<int>(chunk.size());
  // Each cut is given from the end of a buffer that ends at a guard page:
  // reading past the end of the chunk faults instead of reading stale memory.
  const std::size_t capacity = (chunk.size() + 15) / 16 * 16;
  std::unique_ptr<char, bool (*)(void*)> buffer(static_cast<char*>(GuardedAllocate(capacity)), GuardedRelease);
  if (!buffer) return "no guarded memory for the cut chunks";
  char* const end = buffer.get() + capacity;
  for (int length = 0; length < size; length = NextCut(length, size, quick)) {
    ++*cuts;
    report.Step("the %s chunk cut to %d of %d bytes", program ? "program" : "bank", length, size);
    std::memcpy(end - length, chunk.data(), static_cast<std::size_t>(length));
    const bool taken = instance.host.Dispatch(vst::effSetChunk, program ? 1 : 0, length, end - length) != 0;
    if (taken) {
      // A shorter form of the chunk may be a valid one; back to the defaults
      // so that the next cut shows what it changes.
      ++*accepted;
      SetChunk(instance, program, defaults);
      current = ReadState(instance);
    } else if (answers) {
      std::string change = FirstDifference(current, ReadState(instance));
      if (!change.empty())
        return "the chunk cut to " + std::to_string(length) + " of " + std::to_string(size) +
               " bytes was refused, yet " + change;
    }
  }
  return {};
}

void CheckChunk(const Options& options, Report& report, bool program) {
  const std::string prefix = program ? "state.program" : "state.bank";
  report.Begin((prefix + ".save").c_str());
  std::string error;
  auto source = OpenInstance(options.plugin, 44100, 256, &error);
  if (!source) {
    report.Fail(prefix, error);
    return;
  }
  // A state away from the defaults, so that a restore has something to do.
  std::mt19937 random(options.seed + (program ? 7 : 3));
  vst::AEffect* effect = source->host.Effect();
  for (int index = 0; index < effect->numParams; ++index)
    source->host.SetParameter(index, std::uniform_real_distribution<float>(0.2f, 0.8f)(random));
  Bytes saved = GetChunk(*source, program);
  if (saved.empty()) {
    report.Fail(prefix + ".save", "effGetChunk returned no data though the plug-in has chunks");
    return;
  }

  report.Begin((prefix + ".roundtrip").c_str());
  auto restored = OpenInstance(options.plugin, 44100, 256, &error);
  if (!restored) {
    report.Fail(prefix, error);
    return;
  }
  // Some plug-ins answer 0 to every chunk; their refusals cannot be told.
  const bool answers = SetChunk(*restored, program, saved) != 0;
  Bytes again = GetChunk(*restored, program);
  if (again == saved)
    report.Pass(prefix + ".roundtrip", std::to_string(saved.size()) + " bytes read back unchanged");
  else
    report.Fail(prefix + ".roundtrip", std::to_string(saved.size()) + " bytes saved, " + std::to_string(again.size()) +
                                           " read back, contents differ");

  // The same notes sound the same from both, each from a fresh start.
  report.Begin((prefix + ".sound").c_str());
  source->host.SetActive(false);
  source->host.SetActive(true);
  restored->host.SetActive(false);
  restored->host.SetActive(true);
  double difference = Difference(Sound(*source), Sound(*restored));
  char text[120];
  std::snprintf(text, sizeof text, "largest sample difference %.3g after restore", difference);
  if (difference <= 1e-6)
    report.Pass(prefix + ".sound", text);
  else
    report.Fail(prefix + ".sound", text);

  // Damaged chunks of a state whose every part differs from the defaults.
  MoveAwayFromDefaults(*source, random);
  const Bytes moved = GetChunk(*source, program);
  report.Begin((prefix + ".truncated").c_str());
  auto damaged = OpenInstance(options.plugin, 44100, 256, &error);
  if (!damaged) return;
  int cuts = 0, accepted = 0;
  std::string problem = CheckCuts(*damaged, program, moved, answers, options.quick, report, &cuts, &accepted);
  const std::string count = std::to_string(cuts) + " shorter lengths (of " + std::to_string(moved.size()) + " bytes)";
  if (!problem.empty())
    report.Fail(prefix + ".truncated", problem);
  else if (!answers)
    report.Pass(prefix + ".truncated", "cut to " + count + " without a crash (the " +
                                           "plug-in answers 0 even to a whole chunk, so refusals cannot be seen)");
  else
    report.Pass(prefix + ".truncated",
                "cut to " + count + ": " + std::to_string(accepted) + " accepted, the others refused changing nothing");

  report.Begin((prefix + ".corrupted").c_str());
  auto corruptedInto = OpenInstance(options.plugin, 44100, 256, &error);
  if (!corruptedInto) return;
  Bytes corrupted = moved;
  for (std::size_t i = 0; i < corrupted.size(); i += 7) corrupted[i] = static_cast<char>(random());
  const VisibleState before = ReadState(*corruptedInto);
  const bool taken = SetChunk(*corruptedInto, program, corrupted) != 0;
  problem = taken || !answers ? "" : FirstDifference(before, ReadState(*corruptedInto));
  double peak = 0;
  const int key = 60;
  SendNotes(*corruptedInto, &key, 1, 100);
  for (int block = 0; block < 20 && !std::isnan(peak); ++block) {
    ProcessFloat(*corruptedInto, 256);
    peak = PeakFloat(*corruptedInto, 256);
  }
  if (!problem.empty())
    report.Fail(prefix + ".corrupted", "a corrupted chunk was refused, yet " + problem);
  else if (std::isnan(peak))
    report.Fail(prefix + ".corrupted", "NaN or infinity after a corrupted chunk");
  else
    report.Pass(prefix + ".corrupted", std::string(taken ? "accepted" : "refused") + " without a crash, output finite");
}

}  // namespace

void CheckState(const Options& options, Report& report) {
  report.Begin("state");
  vsthost::VstHost host;
  std::string error;
  if (!host.Load(options.plugin, &error)) return;
  bool chunks = host.Effect()->flags & vst::effFlagsProgramChunks;
  host.Close();
  if (!chunks) {
    report.Skip("state", "the plug-in keeps no chunks (effFlagsProgramChunks)");
    return;
  }
  CheckChunk(options, report, false);
  CheckChunk(options, report, true);
}

}  // namespace validator
