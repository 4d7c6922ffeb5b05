// The editor's X11 window in a host of our own: what reaches the screen,
// what the pointer and keys do, the window's life in the host's window, and
// the editor driven while other threads automate the instrument.
#include <algorithm>
#include <atomic>
#include <thread>

#include "engine/ParameterIndex.h"
#include "tests/config/UserFolders.h"
#include "tests/host/TestHost.h"
#include "editor/panel/PanelCommands.h"
#include "tests/editor/x11/X11TestHost.h"

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
  static std::vector<std::uint32_t> Cut(const std::vector<std::uint32_t>& pixels, const IPanelRect& rect) {
    std::vector<std::uint32_t> cut;
    for (int y = rect.top; y < std::min(rect.bottom, panel::kPanelHeight); ++y)
      for (int x = rect.left; x < std::min(rect.right, panel::kPanelWidth); ++x)
        cut.push_back(pixels[static_cast<size_t>(y) * panel::kPanelWidth + x]);
    return cut;
  }
  // Waits until the pixels of `rect` differ from (or, with `same`, equal) `before`.
  bool AreaBecomes(Plugin& plugin, const IPanelRect& rect, const std::vector<std::uint32_t>& before, bool same) {
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
    const IPanelRect knob = ControlRect("CUTOFF");
    DragFromTo(plugin, CentreX(knob) + dx, CentreY(knob), CentreX(knob) + dx, CentreY(knob) + dy);
  }
};

TEST_F(X11WindowTest, TheFirstPaintIsPixelForPixelTheHeadlessEditorsPicture) {
  testhost::Instance reference{"", testhost::HeadlessEditor};
  int parentless = 0;
  reference.Call(vst::effEditOpen, 0, 0, &parentless);
  auto* headless = static_cast<IGraphicsHeadless*>(
      static_cast<IEffectBase*>(IEffectVST::FromRecord(reference.effect))->Editor());
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
  const IPanelRect next = ControlRect(panel::kNextProgram), previous = ControlRect(panel::kPreviousProgram);
  ClickAt(plugin, CentreX(next), CentreY(next));
  EXPECT_TRUE(PumpUntil([&] { return plugin.Call(vst::effGetProgram) == 1; }));
  ClickAt(plugin, CentreX(previous), CentreY(previous));
  EXPECT_TRUE(PumpUntil([&] { return plugin.Call(vst::effGetProgram) == 0; }));

  // The tweak button lifts the left blind; the same place closes it again
  // (clicked apart, so the two clicks are not one double click).
  const IPanelRect blind{0, 310, 436, 395};
  const IPanelRect tweak = ControlRect(panel::kOpenTweakPanel);
  ClickAt(plugin, tweak.left + 3, tweak.top + 3);
  EXPECT_TRUE(AreaBecomes(plugin, blind, Cut(start, blind), /*same=*/false));
  ClickAt(plugin, tweak.right - 4, tweak.bottom - 4);
  EXPECT_TRUE(AreaBecomes(plugin, blind, Cut(start, blind), /*same=*/true));

  // A key no control takes goes on to the host's window.
  FocusEditor(plugin);
  PressKey(XK_F5);
  EXPECT_TRUE(PumpUntil([&] {
    return std::any_of(hostEvents.begin(), hostEvents.end(), [&](const XEvent& event) {
      return event.type == KeyPress && event.xkey.window == plugin.hostWindow &&
             XLookupKeysym(const_cast<XKeyEvent*>(&event.xkey), 0) == XK_F5;
    });
  }));
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
  const IPanelRect next = ControlRect(panel::kNextProgram);
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
  EXPECT_GE(Log().Count(vst::audioMasterEndEdit, Param::Cutoff), 4);
  // The editor still follows the host afterwards.
  const IPanelRect knob = ControlRect("CUTOFF");
  plugin.Set(Param::Cutoff, 0.0f);
  Pump(100);
  int width, height;
  const std::vector<std::uint32_t> low = Cut(CaptureEditor(plugin, &width, &height), knob);
  plugin.Set(Param::Cutoff, 1.0f);
  EXPECT_TRUE(AreaBecomes(plugin, knob, low, /*same=*/false));
}

}  // namespace
