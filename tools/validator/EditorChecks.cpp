// The editor opened in a window of the validator's own, its idle call
// pumped, then closed, several times while another thread processes.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "EditorWindow.h"
#include "Validator.h"

namespace validator {

namespace {
struct EditorRect {
  short top, left, bottom, right;
};
}  // namespace

void CheckEditor(const Options& options, Report& report) {
  report.Begin("editor");
  std::string error;
  auto instance = OpenInstance(options.plugin, 44100, 256, &error);
  if (!instance) {
    report.Fail("editor", error);
    return;
  }
  if (!(instance->host.Effect()->flags & vst::effFlagsHasEditor)) {
    report.Skip("editor", "the plug-in has no editor");
    return;
  }
  std::unique_ptr<EditorWindowSystem> windows = OpenEditorWindowSystem(error);
  if (!windows) {
    report.Skip("editor", error);
    return;
  }

  std::atomic<bool> done{false};
  std::atomic<long> processed{0};
  std::thread audio([&] {
    const int key = 64;
    while (!done.load()) {
      if (processed % 100 == 0) SendNotes(*instance, &key, 1, 100);
      ProcessFloat(*instance, 256);
      ++processed;
    }
  });

  const int openings = options.quick ? 3 : 10;
  const auto idleTime = std::chrono::milliseconds(options.quick ? 150 : 400);
  int opened = 0;
  std::string sizes;
  for (int i = 0; i < openings; ++i) {
    EditorRect* rect = nullptr;
    instance->host.Dispatch(vst::effEditGetRect, 0, 0, &rect);
    int width = rect && rect->right > rect->left ? rect->right - rect->left : 400;
    int height = rect && rect->bottom > rect->top ? rect->bottom - rect->top : 300;
    void* window = windows->NewWindow(width, height);
    if (!window) {
      report.Skip("editor", "no window could be created");
      break;
    }
    if (instance->host.Dispatch(vst::effEditOpen, 0, 0, window)) ++opened;
    rect = nullptr;
    instance->host.Dispatch(vst::effEditGetRect, 0, 0, &rect);
    if (i == 0 && rect)
      sizes = std::to_string(rect->right - rect->left) + "x" + std::to_string(rect->bottom - rect->top);
    auto end = std::chrono::steady_clock::now() + idleTime;
    while (std::chrono::steady_clock::now() < end) {
      windows->Pump();
      instance->host.Dispatch(vst::effEditIdle);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));  // a host's idle timer
    }
    instance->host.Dispatch(vst::effEditClose);
    windows->RemoveWindow(window);
  }
  done = true;
  audio.join();
  std::string detail = std::to_string(opened) + " of " + std::to_string(openings) + " openings accepted (" + sizes +
                       "), " + std::to_string(processed.load()) + " blocks processed meanwhile";
  if (opened == 0)
    report.Fail("editor", detail);
  else
    report.Pass("editor", detail);
}

}  // namespace validator
