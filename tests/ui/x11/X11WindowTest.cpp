// The editor's X11 window in a host of our own: what reaches the screen,
// what the pointer and keys do, the window's life in the host's window, and
// the editor driven while other threads automate the instrument.
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "instrument/PanelCommands.h"
#include "instrument/ParameterIndex.h"
#include "tests/config/UserFolders.h"
#include "tests/ui/x11/X11TestHost.h"
#include "tests/vst2/TestHost.h"
#include "ui/x11/X11Editor.h"

using namespace x11test;

namespace {

class X11WindowTest : public X11TestHost {
 protected:
  void SetUp() override {
    testfolders::UseFreshUserFolders();
    X11TestHost::SetUp();
  }

  // The editor's pixels once its first tick has painted (no longer black).
  std::vector<std::uint32_t> Painted(Plugin& plugin) {
    std::vector<std::uint32_t> pixels;
    int width = 0, height = 0;
    PumpUntil([&] {
      pixels = CaptureEditor(plugin, &width, &height);
      return !pixels.empty() && std::count(pixels.begin(), pixels.end(), 0u) < static_cast<long>(pixels.size() / 2);
    });
    return pixels;
  }
  // Pixels of `rect` of a captured editor.
  static std::vector<std::uint32_t> Cut(const std::vector<std::uint32_t>& pixels, const Rect& rect) {
    std::vector<std::uint32_t> cut;
    if (pixels.size() < static_cast<size_t>(panel::kPanelWidth) * panel::kPanelHeight) return cut;
    for (int y = rect.top; y < std::min(rect.bottom, panel::kPanelHeight); ++y)
      for (int x = rect.left; x < std::min(rect.right, panel::kPanelWidth); ++x)
        cut.push_back(pixels[static_cast<size_t>(y) * panel::kPanelWidth + x]);
    return cut;
  }
  // Waits until the pixels of `rect` differ from (or, with `same`, equal) `before`.
  bool AreaBecomes(Plugin& plugin, const Rect& rect, const std::vector<std::uint32_t>& before, bool same) {
    return PumpUntil([&] {
      int width, height;
      const std::vector<std::uint32_t> now = CaptureEditor(plugin, &width, &height);
      return !now.empty() && (Cut(now, rect) == before) == same;
    });
  }
  // Whether calls for `effect` of BeginEdit, Automate and EndEdit of `index` came in that order.
  static bool EditedInOrder(vst::AEffect* effect, int index) {
    int stage = 0;
    for (const HostCall& call : Log().Calls()) {
      if (call.effect != effect || call.index != index) continue;
      if (call.opcode == vst::audioMasterBeginEdit && stage == 0) stage = 1;
      if (call.opcode == vst::audioMasterAutomate && stage >= 1) stage = 2;
      if (call.opcode == vst::audioMasterEndEdit && stage == 2) stage = 3;
    }
    return stage == 3;
  }
  // Drags started within 4 pixels of the last press, soon after it, would
  // begin with a double click: `dx` keeps them apart.
  void DragCutoff(Plugin& plugin, int dy, int dx = 0) {
    const Rect knob = ControlRect("CUTOFF");
    DragFromTo(plugin, CentreX(knob) + dx, CentreY(knob), CentreX(knob) + dx, CentreY(knob) + dy);
  }
};

TEST_F(X11WindowTest, TheFirstPaintIsPixelForPixelTheHeadlessEditorsPicture) {
  testhost::Instance reference{"", testhost::MakeHeadlessEditor};
  auto* headless = static_cast<HeadlessEditor*>(&EditorOf(reference.effect)->Window());
  headless->Tick();

  Plugin& plugin = AddPlugin();
  ASSERT_TRUE(OpenEditor(plugin));
  int x = -1, y = -1;
  ASSERT_TRUE(EditorPosition(plugin, &x, &y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  const std::vector<std::uint32_t> pixels = Painted(plugin);
  ASSERT_EQ(pixels.size(), static_cast<size_t>(panel::kPanelWidth) * panel::kPanelHeight);
  const graphics::RasterMemBitmap& frame = headless->Frame();
  int differing = 0, firstX = -1, firstY = -1;
  for (int row = 0; row < panel::kPanelHeight; ++row)
    for (int column = 0; column < panel::kPanelWidth; ++column)
      if ((frame.Row(row)[column] & 0xFFFFFF) != pixels[static_cast<size_t>(row) * panel::kPanelWidth + column]) {
        if (differing++ == 0) firstX = column, firstY = row;
      }
  EXPECT_EQ(differing, 0) << "first difference at " << firstX << "," << firstY;

  // Nothing changes on the panel, so only the exposure can paint a part
  // that another window covered.
  const Window cover = XCreateSimpleWindow(display, plugin.hostWindow, 100, 100, 300, 150, 0, 0, 0xFFFFFF);
  XMapRaised(display, cover);
  XSync(display, False);
  Pump(60);
  XDestroyWindow(display, cover);
  XSync(display, False);
  EXPECT_TRUE(PumpUntil([&] {
    int width, height;
    return CaptureEditor(plugin, &width, &height) == pixels;
  }));
}

TEST_F(X11WindowTest, PointerAndKeysReachThePanelAndWhatItLeavesReachesTheHost) {
  Plugin& plugin = AddPlugin();
  ASSERT_TRUE(OpenEditor(plugin));
  const std::vector<std::uint32_t> start = Painted(plugin);

  // A drag on the cutoff knob automates it between a begin and an end edit.
  plugin.Set(Param::Cutoff, 0.5f);
  DragCutoff(plugin, -40);
  ASSERT_TRUE(PumpUntil([&] { return Log().Count(vst::audioMasterEndEdit, Param::Cutoff) > 0; }));
  EXPECT_TRUE(EditedInOrder(plugin.effect, Param::Cutoff));
  EXPECT_GT(plugin.Get(Param::Cutoff), 0.6f);

  // The program arrows step the program.
  const Rect next = ControlRect(panel::kNextProgram), previous = ControlRect(panel::kPreviousProgram);
  ClickAt(plugin, CentreX(next), CentreY(next));
  EXPECT_TRUE(PumpUntil([&] { return plugin.Call(vst::effGetProgram) == 1; }));
  ClickAt(plugin, CentreX(previous), CentreY(previous));
  EXPECT_TRUE(PumpUntil([&] { return plugin.Call(vst::effGetProgram) == 0; }));

  // The tweak button lifts the left blind; the same place closes it again
  // (clicked apart, so the two clicks are not one double click).
  const Rect blind{0, 310, 436, 395};
  const Rect tweak = ControlRect(panel::kOpenTweakPanel);
  ClickAt(plugin, tweak.left + 3, tweak.top + 3);
  EXPECT_TRUE(AreaBecomes(plugin, blind, Cut(start, blind), /*same=*/false));
  ClickAt(plugin, tweak.right - 4, tweak.bottom - 4);
  EXPECT_TRUE(AreaBecomes(plugin, blind, Cut(start, blind), /*same=*/true));

  // A key no control takes goes on to the host's window.
  FocusEditor(plugin);
  x11user::User(input).Key(XK_F5);
  EXPECT_TRUE(PumpUntil([&] {
    return std::any_of(hostEvents.begin(), hostEvents.end(), [&](const XEvent& event) {
      return event.type == KeyPress && event.xkey.window == plugin.hostWindow &&
             XLookupKeysym(const_cast<XKeyEvent*>(&event.xkey), 0) == XK_F5;
    });
  }));
}

TEST_F(X11WindowTest, APressOrAWheelTurnOnThePanelOnlyCancelsAnOpenTextEntry) {
  Plugin& plugin = AddPlugin();
  ASSERT_TRUE(OpenEditor(plugin));
  Painted(plugin);
  auto entryOpen = [&] {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, EditorWindow(plugin), &root, &parent, &children, &count);
    if (children) XFree(children);
    return count > 0;
  };
  const Rect name = panel::kProgramNameRect, knob = ControlRect("CUTOFF");
  ClickAt(plugin, CentreX(name), CentreY(name));
  ASSERT_TRUE(PumpUntil(entryOpen));
  MoveTo(plugin, CentreX(knob), CentreY(knob));
  Button(1, true);
  EXPECT_TRUE(PumpUntil([&] { return !entryOpen(); }));
  Button(1, false);
  Pump(50);
  EXPECT_EQ(Log().Count(vst::audioMasterBeginEdit), 0);  // the knob never saw the press

  ClickAt(plugin, CentreX(name) + 20, CentreY(name));
  ASSERT_TRUE(PumpUntil(entryOpen));
  ClickAt(plugin, CentreX(knob), CentreY(knob), x11test::kWheelUpButton);
  EXPECT_TRUE(PumpUntil([&] { return !entryOpen(); }));
  EXPECT_EQ(Log().Count(vst::audioMasterAutomate), 0);
}

// A host busy elsewhere idles the editor late: the input waits in its queue
// and must still be taken in order, each press with its own release.
TEST_F(X11WindowTest, InputQueuedWhileTheHostIdlesLateKeepsItsOrderAndEveryPressItsRelease) {
  Plugin& plugin = AddPlugin();
  ASSERT_TRUE(OpenEditor(plugin));
  const std::vector<std::uint32_t> start = Painted(plugin);
  const Rect cutoff = ControlRect("CUTOFF"), resonance = ControlRect("RESONANCE");
  plugin.Set(Param::Cutoff, 0.25f);
  plugin.Set(Param::Resonance, 0.75f);
  ASSERT_TRUE(AreaBecomes(plugin, cutoff, Cut(start, cutoff), /*same=*/false));
  ASSERT_TRUE(AreaBecomes(plugin, resonance, Cut(start, resonance), /*same=*/false));
  // Forty pixels move a knob a quarter of its range.
  auto drag = [&](const Rect& knob, int dy) {
    MoveTo(plugin, CentreX(knob), CentreY(knob));
    Button(1, true);
    for (int step = 1; step <= 4; ++step) MoveTo(plugin, CentreX(knob), CentreY(knob) + dy * step / 4);
    Button(1, false);
  };
  drag(cutoff, -40);
  drag(resonance, 40);
  MoveTo(plugin, CentreX(cutoff), CentreY(cutoff));
  Button(2, true);  // a middle click: a press like the others
  Button(2, false);
  XSync(input, False);
  EXPECT_TRUE(PumpUntil([&] {
    return Log().Count(vst::audioMasterEndEdit, Param::Cutoff) == 2 &&
           Log().Count(vst::audioMasterEndEdit, Param::Resonance) == 1;
  }));
  EXPECT_EQ(Log().Count(vst::audioMasterBeginEdit), Log().Count(vst::audioMasterEndEdit));
  EXPECT_NEAR(plugin.Get(Param::Cutoff), 0.5f, 0.05f);
  EXPECT_NEAR(plugin.Get(Param::Resonance), 0.5f, 0.05f);
}

TEST_F(X11WindowTest, ReopeningKeepsThePlaceAndOpeningAndClosingLeavesNothingBehind) {
  Plugin& plugin = AddPlugin();
  ASSERT_TRUE(OpenEditor(plugin));
  Painted(plugin);
  XMoveWindow(display, EditorWindow(plugin), 20, 4);
  XSync(display, False);
  ASSERT_TRUE(OpenEditor(plugin));
  int x = -1, y = -1;
  ASSERT_TRUE(EditorPosition(plugin, &x, &y));
  EXPECT_EQ(x, 20);
  EXPECT_EQ(y, 4);
  CloseEditor(plugin);
  XSync(display, False);
  EXPECT_EQ(EditorWindow(plugin), 0u);

  // A host that destroys its window before closing the editor.
  const Window doomed =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kHostWidth, kHostHeight, 0, 0, 0);
  XMapWindow(display, doomed);
  XSync(display, False);
  ASSERT_EQ(plugin.Call(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(doomed)), 1);
  plugin.editorOpen = true;
  Pump(50);
  XDestroyWindow(display, doomed);
  XSync(display, False);
  Pump(50);
  plugin.Set(Param::Cutoff, 0.25f);  // something to draw
  Pump(100);
  CloseEditor(plugin);

  // Refusals: no parent, or a window that does not exist.
  EXPECT_EQ(plugin.Call(vst::effEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin.Call(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(0x7ffffff)), 0);

  ASSERT_TRUE(OpenEditor(plugin));
  Pump(50);
  CloseEditor(plugin);
  const int descriptors = OpenDescriptors();
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(OpenEditor(plugin)) << i;
    IdleOnce();
    CloseEditor(plugin);
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(X11WindowTest, TwoInstancesEachHaveTheirOwnWindow) {
  Plugin& first = AddPlugin(0, 0);
  Plugin& second = AddPlugin(0, kHostHeight + 2);
  ASSERT_TRUE(OpenEditor(first));
  ASSERT_TRUE(OpenEditor(second));
  Painted(first);
  Painted(second);
  first.Set(Param::Cutoff, 0.5f);
  second.Set(Param::Cutoff, 0.5f);
  DragCutoff(second, -40);
  ASSERT_TRUE(PumpUntil([&] { return EditedInOrder(second.effect, Param::Cutoff); }));
  EXPECT_EQ(first.Get(Param::Cutoff), 0.5f);
  EXPECT_GT(second.Get(Param::Cutoff), 0.6f);

  CloseEditor(first);
  const Rect next = ControlRect(panel::kNextProgram);
  ClickAt(second, CentreX(next), CentreY(next));
  EXPECT_TRUE(PumpUntil([&] { return second.Call(vst::effGetProgram) == 1; }));
  EXPECT_EQ(first.Call(vst::effGetProgram), 0);
}

TEST_F(X11WindowTest, ConcurrentAutomationAndAudioWhileTheEditorIsDragged) {
  Plugin& plugin = AddPlugin();
  ASSERT_TRUE(OpenEditor(plugin));
  Painted(plugin);
  std::atomic<bool> stop{false};
  std::thread automation([&] {
    for (int i = 0; !stop; ++i) {
      plugin.Set(Param::Cutoff, static_cast<float>(i % 100) / 100.0f);
      plugin.Set(i % plugin.effect->numParams, static_cast<float>(i % 7) / 7.0f);
      std::this_thread::yield();
    }
  });
  std::thread audio([&] {
    std::vector<float> left(256), right(256);
    float* outputs[2] = {left.data(), right.data()};
    while (!stop) plugin.effect->processReplacing(plugin.effect, nullptr, outputs, 256);
  });
  for (int i = 0; i < 4; ++i) DragCutoff(plugin, i % 2 ? 30 : -30, 6 * i - 9);
  stop = true;
  automation.join();
  audio.join();
  // The last release may still wait for the editor's next idle.
  EXPECT_TRUE(PumpUntil([&] { return Log().Count(vst::audioMasterEndEdit, Param::Cutoff) >= 4; }));
  // The editor still follows the host afterwards.
  const Rect knob = ControlRect("CUTOFF");
  plugin.Set(Param::Cutoff, 0.0f);
  Pump(100);
  int width, height;
  const std::vector<std::uint32_t> low = Cut(CaptureEditor(plugin, &width, &height), knob);
  plugin.Set(Param::Cutoff, 1.0f);
  EXPECT_TRUE(AreaBecomes(plugin, knob, low, /*same=*/false));
}

}  // namespace

namespace {

// A folder of stand-ins for the desktop's programs, first on PATH for as
// long as it lives. Each records its arguments in NAME.args.
class FakePrograms {
 public:
  FakePrograms() {
    char pattern[] = "/tmp/kestrion-x11-programs-XXXXXX";
    folder_ = mkdtemp(pattern);
    const char* path = std::getenv("PATH");
    savedPath_ = path ? path : "";
    setenv("PATH", folder_.c_str(), 1);  // nothing else: no real chooser answers
  }
  ~FakePrograms() {
    setenv("PATH", savedPath_.c_str(), 1);
    std::filesystem::remove_all(folder_);
  }
  // A program that prints `output` and exits with `exitCode`.
  void Add(const std::string& name, const std::string& output, int exitCode) {
    const std::string file = folder_ + "/" + name;
    std::ofstream(file) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"$0.args\"\necho '" << output
                        << "'\nexit " << exitCode << "\n";
    chmod(file.c_str(), 0755);
  }
  void Remove(const std::string& name) { std::filesystem::remove(folder_ + "/" + name); }
  std::string Arguments(const std::string& name) const { return testfolders::FileText(folder_ + "/" + name + ".args"); }

 private:
  std::string folder_;
  std::string savedPath_;
};

// The editor a host gets, driven by the host's thread alone, so that the
// test's thread may call it.
class HostDrivenEditor : public X11Editor {
 public:
  using X11Editor::X11Editor;
  bool EnableOwnDriver(std::function<void()> /*idleWork*/) override { return false; }
};

Editor* MakeHostDrivenEditor(EditorDelegate* delegate, int width, int height) {
  return new HostDrivenEditor(delegate, width, height);
}

}  // namespace

TEST_F(X11WindowTest, TheDesktopAnswersFilePromptsWebPagesAndClipboardRequests) {
  // The editor a host gets, in this process, so that its prompts can be called.
  testhost::Instance instance{"", MakeHostDrivenEditor};
  const Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kHostWidth, kHostHeight, 0, 0, 0);
  XMapWindow(display, host);
  XSync(display, False);
  ASSERT_EQ(instance.Call(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
  EditorView* editor = &EditorOf(instance.effect)->Window();
  FakePrograms programs;

  programs.Add("zenity", "/chosen/folder/bass.fxp", 0);
  char path[kPathLength] = "Bass.fxp";
  char folder[kPathLength] = "/start";
  editor->PromptForFile(path, kFileSave, folder, "fxp fxb");
  EXPECT_STREQ(path, "/chosen/folder/bass.fxp");
  EXPECT_STREQ(folder, "/chosen/folder/");
  EXPECT_EQ(programs.Arguments("zenity"),
            "--file-selection\n--filename=/start/Bass.fxp\n--save\n--confirm-overwrite\n--file-filter=*.fxp *.fxb\n");

  programs.Add("zenity", "", 1);  // cancelled
  CopyText(path, "Bass.fxp");
  editor->PromptForFile(path, kFileOpen, folder, "fxp");
  EXPECT_STREQ(path, "");
  EXPECT_STREQ(folder, "/chosen/folder/");
  EXPECT_EQ(programs.Arguments("zenity"),
            "--file-selection\n--filename=/chosen/folder/Bass.fxp\n--file-filter=*.fxp\n");

  programs.Remove("zenity");
  programs.Add("kdialog", "/other/lead.fxb", 0);
  CopyText(path, "Lead.fxb");
  editor->PromptForFile(path, kFileOpen, folder, "fxb");
  EXPECT_STREQ(path, "/other/lead.fxb");
  EXPECT_STREQ(folder, "/other/");
  EXPECT_EQ(programs.Arguments("kdialog"), "--getopenfilename\n/chosen/folder/Lead.fxb\n*.fxb\n");

  programs.Add("xdg-open", "", 0);
  EXPECT_TRUE(editor->OpenWebPage("https://example.org/a b", "Web", nullptr, nullptr));
  EXPECT_EQ(programs.Arguments("xdg-open"), "https://example.org/a b\n");
  programs.Add("xdg-open", "", 4);
  EXPECT_FALSE(editor->OpenWebPage("https://example.org/", "Web", nullptr, nullptr));
  programs.Remove("xdg-open");
  EXPECT_FALSE(editor->OpenWebPage("https://example.org/", "Web", nullptr, nullptr));

  // Clipboard text: none while nobody owns the selection, then what its
  // owner (a client of its own, on a thread of its own) hands over.
  Editor* graphics = &EditorOf(instance.effect)->Window();
  char text[kPathLength] = "stale";
  EXPECT_FALSE(graphics->GetClipboardText(text));
  EXPECT_STREQ(text, "");
  Display* owner = XOpenDisplay(nullptr);
  ASSERT_NE(owner, nullptr);
  const Atom clipboard = XInternAtom(owner, "CLIPBOARD", False), utf8 = XInternAtom(owner, "UTF8_STRING", False);
  const Window ownerWindow = XCreateSimpleWindow(owner, DefaultRootWindow(owner), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(owner, clipboard, ownerWindow, CurrentTime);
  XSync(owner, False);
  std::thread answer([&] {
    XEvent event;
    const bool asked = x11user::PollUntil([&] {
      while (XPending(owner) > 0) {
        XNextEvent(owner, &event);
        if (event.type == SelectionRequest) return true;
      }
      return false;
    });
    if (!asked) return;
    const XSelectionRequestEvent& request = event.xselectionrequest;
    const std::string copied = "Fat Bass \xc3\xa9";
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = request.target == utf8 ? request.property : None;
    if (request.target == utf8)
      XChangeProperty(owner, request.requestor, request.property, utf8, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(copied.data()), static_cast<int>(copied.size()));
    XSendEvent(owner, request.requestor, False, NoEventMask, &reply);
    XSync(owner, False);
  });
  EXPECT_TRUE(graphics->GetClipboardText(text));
  answer.join();
  EXPECT_STREQ(text, "Fat Bass \xc3\xa9");
  XCloseDisplay(owner);

  instance.Call(vst::effEditClose);
  XDestroyWindow(display, host);
}
