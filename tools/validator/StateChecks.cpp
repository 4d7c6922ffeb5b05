// Bank and program state through effGetChunk / effSetChunk: a chunk restored
// into a fresh instance reads back the same and sounds the same; truncated
// or corrupted chunks are refused or change nothing.
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

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
  return instance.host.Dispatch(vst::effSetChunk, program ? 1 : 0,
                                static_cast<vst::VstIntPtr>(bytes.size()), bytes.data());
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

void CheckChunk(const Options& options, Report& report, bool program) {
  const std::string prefix = program ? "state.program" : "state.bank";
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

  auto restored = OpenInstance(options.plugin, 44100, 256, &error);
  if (!restored) {
    report.Fail(prefix, error);
    return;
  }
  SetChunk(*restored, program, saved);
  Bytes again = GetChunk(*restored, program);
  if (again == saved)
    report.Pass(prefix + ".roundtrip", std::to_string(saved.size()) + " bytes read back unchanged");
  else
    report.Fail(prefix + ".roundtrip", std::to_string(saved.size()) + " bytes saved, " +
                                           std::to_string(again.size()) + " read back, contents differ");

  // The same notes sound the same from both, each from a fresh start.
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

  // Damaged chunks: refused, or the state stays as it was.
  auto damaged = OpenInstance(options.plugin, 44100, 256, &error);
  if (!damaged) return;
  SetChunk(*damaged, program, saved);
  Bytes before = GetChunk(*damaged, program);
  Bytes truncated(saved.begin(), saved.begin() + static_cast<long>(saved.size() / 2));
  vst::VstIntPtr accepted = SetChunk(*damaged, program, truncated);
  Bytes after = GetChunk(*damaged, program);
  if (after == before)
    report.Pass(prefix + ".truncated", std::string(accepted ? "accepted" : "refused") + ", state unchanged");
  else if (!accepted)
    report.Pass(prefix + ".truncated", "refused (the state read back differs)");
  else
    report.Fail(prefix + ".truncated", "a chunk cut to half its size was accepted and changed the state");

  Bytes corrupted = saved;
  for (std::size_t i = 0; i < corrupted.size(); i += 7) corrupted[i] = static_cast<char>(random());
  accepted = SetChunk(*damaged, program, corrupted);
  GetChunk(*damaged, program);
  double peak = 0;
  const int key = 60;
  SendNotes(*damaged, &key, 1, 100);
  for (int block = 0; block < 20 && !std::isnan(peak); ++block) {
    ProcessFloat(*damaged, 256);
    peak = PeakFloat(*damaged, 256);
  }
  if (std::isnan(peak))
    report.Fail(prefix + ".corrupted", "NaN or infinity after a corrupted chunk");
  else
    report.Pass(prefix + ".corrupted", std::string(accepted ? "accepted" : "refused") +
                                           " without a crash, output finite");
}

}  // namespace

void CheckState(const Options& options, Report& report) {
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
