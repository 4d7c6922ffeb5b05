// A small X11 host for end-to-end tests of the editor's window: it loads the
// built plug-in module the way a Linux host does, gives each instance a
// top-level window of its own, passes that window to effEditOpen, pumps
// effEditIdle (or, as some hosts, never does) and drives the editor with
// synthetic input (XTest) on a second display connection. It ignores the
// plug-in's requests to resize its window. Needs a running X server
// (DISPLAY); tests skip when there is none.
#pragma once

#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "instrument/panel/PanelLayout.h"
#include "ui/PanelTypes.h"
#include "vst2/VstAbi.h"

// Last: Xlib's macros (None, Bool, Status) must not meet the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "tests/ui/x11/X11User.h"

namespace x11test {

using namespace std::chrono_literals;

// What the plug-ins asked of the host; any thread may add to it.
struct HostCall {
  vst::AEffect* effect;
  int opcode;
  int index;
  float value;
};

class HostLog {
 public:
  void Add(const HostCall& call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
  }
  std::vector<HostCall> Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
  }
  // How many calls of `opcode` for `index` (any index when -1).
  int Count(int opcode, int index = -1) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const HostCall& call : calls_)
      if (call.opcode == opcode && (index < 0 || call.index == index)) ++n;
    return n;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<HostCall> calls_;
};

inline HostLog& Log() {
  static HostLog log;
  return log;
}

inline vst::VstIntPtr HostCallback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr size,
                                   void*, float value) {
  switch (opcode) {
    case vst::audioMasterVersion: return 2400;
    case vst::audioMasterAutomate:
    case vst::audioMasterBeginEdit:
    case vst::audioMasterEndEdit: Log().Add({effect, opcode, index, value}); return 1;
    // Logged as width (index) and height (value), and left undone.
    case vst::audioMasterSizeWindow: Log().Add({effect, opcode, index, static_cast<float>(size)}); return 0;
    default: return 0;
  }
}

// The module under test, loaded once per process as a host would.
inline vst::AEffect* (*PluginMain())(vst::AudioMasterCallback) {
  static void* module = dlopen(KESTRION_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  if (!module) return nullptr;
  return reinterpret_cast<vst::AEffect* (*)(vst::AudioMasterCallback)>(dlsym(module, "VSTPluginMain"));
}

// Open file descriptors of this process (X connections and pipes count).
inline int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') ++count;
    closedir(dir);
  }
  return count - 1;  // the directory being read
}

// A panel control's rectangle by the label the panel art prints beside it
// ("CUTOFF"), or by its parameter / command code.
inline Rect ControlRect(const char* label) {
  for (const panel::ControlSpec& spec : panel::kControls)
    if (std::strcmp(spec.label, label) == 0) return spec.area;
  ADD_FAILURE() << "no control labelled " << label;
  return {};
}
inline Rect ControlRect(int parameter) {
  for (const panel::ControlSpec& spec : panel::kControls)
    if (spec.parameter == parameter && spec.kind != panel::ControlKind::kLight) return spec.area;
  ADD_FAILURE() << "no control bound to " << parameter;
  return {};
}
// X's pointer buttons beyond left (1), middle (2) and right (3).
constexpr int kWheelUpButton = 4;

inline int CentreX(const Rect& r) { return (r.left + r.right) / 2; }
inline int CentreY(const Rect& r) { return (r.top + r.bottom) / 2; }

// One instance of the plug-in in a top-level window of the host's.
struct Plugin {
  vst::AEffect* effect = nullptr;
  Window hostWindow = 0;
  bool editorOpen = false;

  vst::VstIntPtr Call(vst::VstInt32 op, vst::VstInt32 index = 0, vst::VstIntPtr value = 0, void* ptr = nullptr,
                      float opt = 0) {
    return effect->dispatcher(effect, op, index, value, ptr, opt);
  }
  float Get(int index) { return effect->getParameter(effect, index); }
  void Set(int index, float value) { effect->setParameter(effect, index, value); }
};

// The fixture: a host display connection, an input connection for XTest,
// any number of plug-ins, and the helpers that drive them.
class X11TestHost : public testing::Test {
 protected:
  static constexpr int kHostWidth = panel::kPanelWidth + 40;
  static constexpr int kHostHeight = panel::kPanelHeight + 4;

  void SetUp() override {
    ASSERT_TRUE(x11user::kThreadsReady);
    const char* name = std::getenv("DISPLAY");
    if (!name || !name[0]) GTEST_SKIP() << "no X server (DISPLAY)";
    ASSERT_TRUE(display = x11user::OpenDisplay()) << "cannot open " << name;
    input = XOpenDisplay(nullptr);
    int event, error, major, minor;
    ASSERT_TRUE(input && XTestQueryExtension(input, &event, &error, &major, &minor)) << "XTest is missing";
    ASSERT_NE(PluginMain(), nullptr) << "cannot load " KESTRION_MODULE_PATH ": " << dlerror();
    Log().Clear();
  }

  void TearDown() override {
    for (auto& plugin : plugins) Remove(*plugin);
    plugins.clear();
    if (input) XCloseDisplay(input);
    if (display) XCloseDisplay(display);
  }

  // A new instance in a host window of width x height at the screen point (x, y).
  Plugin& AddPlugin(int x = 0, int y = 0, int width = kHostWidth, int height = kHostHeight) {
    plugins.push_back(std::make_unique<Plugin>());
    Plugin& plugin = *plugins.back();
    plugin.effect = PluginMain()(&HostCallback);
    EXPECT_NE(plugin.effect, nullptr);
    plugin.Call(vst::effOpen);
    plugin.Call(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    plugin.Call(vst::effSetBlockSize, 0, 256);
    plugin.Call(vst::effMainsChanged, 0, 1);
    const int screen = DefaultScreen(display);
    plugin.hostWindow = XCreateSimpleWindow(display, RootWindow(display, screen), x, y, width, height, 0,
                                            BlackPixel(display, screen), BlackPixel(display, screen));
    XSelectInput(display, plugin.hostWindow, StructureNotifyMask | KeyPressMask | KeyReleaseMask);
    XMapWindow(display, plugin.hostWindow);
    XEvent event;
    do XWindowEvent(display, plugin.hostWindow, StructureNotifyMask, &event);
    while (event.type != MapNotify);
    return plugin;
  }

  void Remove(Plugin& plugin) {
    if (!plugin.effect) return;
    if (plugin.editorOpen) CloseEditor(plugin);
    plugin.Call(vst::effMainsChanged, 0, 0);
    plugin.Call(vst::effClose);
    plugin.effect = nullptr;
    XDestroyWindow(display, plugin.hostWindow);
    XSync(display, False);
  }

  // effEditOpen with the host window; true when the plug-in made a window.
  bool OpenEditor(Plugin& plugin) {
    plugin.editorOpen = plugin.Call(vst::effEditOpen, 0, reinterpret_cast<vst::VstIntPtr>(display),
                                    reinterpret_cast<void*>(plugin.hostWindow)) != 0;
    return plugin.editorOpen;
  }
  void CloseEditor(Plugin& plugin) {
    plugin.Call(vst::effEditClose);
    plugin.editorOpen = false;
  }

  // The editor's window: the host window's child, or 0.
  Window EditorWindow(const Plugin& plugin) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, plugin.hostWindow, &root, &parent, &children, &count) && count > 0)
      found = children[count - 1];
    if (children) XFree(children);
    return found;
  }
  // The editor window's top-left corner in the host window.
  bool EditorPosition(const Plugin& plugin, int* x, int* y) {
    Window editor = EditorWindow(plugin);
    XWindowAttributes attributes;
    if (!editor || !XGetWindowAttributes(display, editor, &attributes)) return false;
    *x = attributes.x;
    *y = attributes.y;
    return true;
  }

  // One effEditIdle for every open editor, and the host's own events.
  void IdleOnce() {
    for (auto& plugin : plugins)
      if (idleEditors && plugin->effect && plugin->editorOpen) plugin->Call(vst::effEditIdle);
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      hostEvents.push_back(event);
    }
  }
  // Idles every ~10 ms for `ms` milliseconds.
  void Pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
      IdleOnce();
      std::this_thread::sleep_for(10ms);
    } while (std::chrono::steady_clock::now() < end);
  }
  // Idles until `done()` holds or the deadline passes; returns done().
  template <class Condition>
  bool PumpUntil(Condition done, int timeoutMs = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return done();
      IdleOnce();
      std::this_thread::sleep_for(10ms);
    }
    return true;
  }

  // -- synthetic input, in panel coordinates of `plugin`'s editor ----------
  bool ToScreen(const Plugin& plugin, int x, int y, int* screenX, int* screenY) {
    Window child;
    Window editor = EditorWindow(plugin);
    return editor && XTranslateCoordinates(display, editor, DefaultRootWindow(display), x, y, screenX, screenY, &child);
  }
  void MoveTo(const Plugin& plugin, int x, int y) {
    int sx = 0, sy = 0;
    ASSERT_TRUE(ToScreen(plugin, x, y, &sx, &sy));
    XTestFakeMotionEvent(input, -1, sx, sy, CurrentTime);
    XFlush(input);
  }
  void Button(int button, bool down) {
    XTestFakeButtonEvent(input, button, down, CurrentTime);
    XFlush(input);
  }
  // Press and release at one point, with the editor idled in between. Two
  // clicks at one point within the double-click time count as a double click.
  void ClickAt(const Plugin& plugin, int x, int y, int button = 1) {
    MoveTo(plugin, x, y);
    Button(button, true);
    Pump(30);
    Button(button, false);
    Pump(30);
  }
  // Clicks the panel at (x, y) while the user acts on a second thread (a
  // menu or box the click opens waits inside effEditIdle), and idles the
  // editor until the user is done.
  void ClickAndAct(Plugin& plugin, int x, int y, const std::function<void(x11user::User&)>& script) {
    std::atomic<bool> done{false};
    std::thread user([this, script, &done] {
      x11user::User acting(input);
      script(acting);
      done = true;
    });
    ClickAt(plugin, x, y);
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 15000));
    user.join();
  }
  // A press at the first point, moves in `steps` steps, a release at the last.
  void DragFromTo(const Plugin& plugin, int x0, int y0, int x1, int y1, int steps = 8) {
    MoveTo(plugin, x0, y0);
    Button(1, true);
    Pump(20);
    for (int i = 1; i <= steps; ++i) {
      MoveTo(plugin, x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
      Pump(20);
    }
    Button(1, false);
    Pump(30);
  }
  // Gives the editor the keyboard focus (a host without a window manager
  // does not).
  void FocusEditor(const Plugin& plugin) {
    XSetInputFocus(input, EditorWindow(plugin), RevertToParent, CurrentTime);
    XSync(input, False);
  }
  // The editor window's pixels as 0x00RRGGBB, row by row; empty on failure.
  std::vector<std::uint32_t> CaptureEditor(const Plugin& plugin, int* width, int* height) {
    std::vector<std::uint32_t> pixels;
    Window editor = EditorWindow(plugin);
    XWindowAttributes attributes;
    if (!editor || !XGetWindowAttributes(display, editor, &attributes)) return pixels;
    // Reading a window that is not (yet) on screen is a protocol error.
    if (attributes.map_state != IsViewable) return pixels;
    XImage* image = XGetImage(display, editor, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return pixels;
    *width = attributes.width;
    *height = attributes.height;
    pixels.reserve(static_cast<size_t>(*width) * *height);
    for (int y = 0; y < *height; ++y)
      for (int x = 0; x < *width; ++x) pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
  }

  Display* display = nullptr;  // the host's connection
  Display* input = nullptr;    // synthetic input only
  bool idleEditors = true;     // false: a host that never calls effEditIdle from its loop
  std::vector<std::unique_ptr<Plugin>> plugins;
  std::vector<XEvent> hostEvents;  // what reached the host's windows
};

}  // namespace x11test
