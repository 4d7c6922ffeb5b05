// The CLAP plug-in's editor in a window of the test host, run by the host's
// timer and descriptor callbacks and driven with synthetic input (XTest),
// as a Linux CLAP host runs it. Needs an X server (DISPLAY).
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "instrument/PanelCommands.h"
#include "instrument/ParameterIndex.h"
#include "tools/claphost/ClapHost.h"
// Last: it brings Xlib's macros.
#include "tests/ui/x11/EmbeddingHost.h"

using namespace clap;
using namespace std::chrono_literals;

namespace {

class ClapEditorTest : public EmbeddingHost {
 protected:
  void Load(bool offerEditorLoop) {
    host_.OfferEditorLoop(offerEditorLoop);
    std::string why;
    ASSERT_TRUE(host_.Load(KESTRION_CLAP_PATH, &why)) << why;
    ASSERT_TRUE(host_.Activate(48000, 256));
    gui_ = host_.PluginExtension<clap_plugin_gui>(CLAP_EXT_GUI);
    ASSERT_NE(gui_, nullptr);
  }

  // At the host's scale when one is given, as hosts give it: before the window.
  void OpenEditor(double scale = 0) {
    const clap_plugin* plugin = host_.Plugin();
    ASSERT_TRUE(gui_->create(plugin, CLAP_WINDOW_API_X11, false));
    if (scale > 0) {
      ASSERT_TRUE(gui_->set_scale(plugin, scale));
    }
    clap_window window{};
    window.api = CLAP_WINDOW_API_X11;
    window.x11 = hostWindow_;
    ASSERT_TRUE(gui_->set_parent(plugin, &window));
    ASSERT_TRUE(gui_->show(plugin));
  }

  void ClickNextProgram() { Click(ControlArea(panel::kNextProgram)); }

  // One turn of the host's event loop, and the callbacks asked for.
  void Turn() override {
    host_.RunEventLoopOnce();
    host_.RunMainThreadCallback();
  }

  claphost::ClapHost host_;
  const clap_plugin_gui* gui_ = nullptr;
};

}  // namespace

TEST_F(ClapEditorTest, RunsOnTheHostsTimerAndItsEditsReachTheHostAsGestures) {
  Load(true);
  const clap_plugin* plugin = host_.Plugin();
  EXPECT_TRUE(gui_->is_api_supported(plugin, CLAP_WINDOW_API_X11, false));
  EXPECT_FALSE(gui_->is_api_supported(plugin, CLAP_WINDOW_API_X11, true));
  EXPECT_FALSE(gui_->is_api_supported(plugin, CLAP_WINDOW_API_WIN32, false));
  ASSERT_TRUE(gui_->create(plugin, CLAP_WINDOW_API_X11, false));
  std::uint32_t width = 0, height = 0;
  ASSERT_TRUE(gui_->get_size(plugin, &width, &height));
  EXPECT_EQ(width, static_cast<std::uint32_t>(panel::kPanelWidth));
  EXPECT_EQ(height, static_cast<std::uint32_t>(panel::kPanelHeight));
  // The host may resize it to any of the panel's sizes, and only to those.
  EXPECT_TRUE(gui_->can_resize(plugin));
  std::uint32_t wide = 2300, high = 800;
  ASSERT_TRUE(gui_->adjust_size(plugin, &wide, &high));
  EXPECT_EQ(wide, 2192u);
  EXPECT_EQ(high, 790u);
  EXPECT_FALSE(gui_->set_size(plugin, 2300, 800));
  ASSERT_TRUE(gui_->set_size(plugin, 1370, 494));
  ASSERT_TRUE(gui_->get_size(plugin, &width, &height));
  EXPECT_EQ(width, 1370u);
  ASSERT_TRUE(gui_->set_size(plugin, width = panel::kPanelWidth, height = panel::kPanelHeight));
  clap_window window{};
  window.api = CLAP_WINDOW_API_X11;
  window.x11 = hostWindow_;
  ASSERT_TRUE(gui_->set_parent(plugin, &window));
  ASSERT_TRUE(gui_->show(plugin));
  EXPECT_EQ(host_.Timers(), 1);
  EXPECT_EQ(host_.Descriptors(), 1);
  Run(100ms);

  // The program arrow selects the next program: the host reads the values again.
  ClickNextProgram();
  EXPECT_TRUE(RunUntil([&] { return host_.Rescans() > 0; }));
  host_.Process(256);  // the new program's values go out here

  // A drag on the cutoff knob is one gesture: begin, values, end.
  DragUp(ControlArea(Param::Cutoff), 36);
  ASSERT_TRUE(RunUntil([&] { return host_.FlushRequests() > 0; }));
  host_.Process(256);
  std::vector<std::uint16_t> kinds;
  for (const claphost::Event& event : host_.Output()) {
    const auto& header = event.Header();
    if (header.type == CLAP_EVENT_PARAM_VALUE &&
        reinterpret_cast<const clap_event_param_value&>(header).param_id != Param::Cutoff)
      continue;
    if (kinds.empty() || kinds.back() != header.type) kinds.push_back(header.type);
  }
  EXPECT_EQ(kinds, (std::vector<std::uint16_t>{CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_PARAM_VALUE,
                                               CLAP_EVENT_PARAM_GESTURE_END}));

  gui_->destroy(plugin);
  EXPECT_EQ(host_.Timers(), 0);
  EXPECT_EQ(host_.Descriptors(), 0);
  EXPECT_EQ(host_.WrongThreadCalls(), 0);
}

// A host that offers no timer is asked for main-thread callbacks instead,
// and the editor runs in them.
TEST_F(ClapEditorTest, WithoutTheHostsTimerItRunsInMainThreadCallbacks) {
  Load(false);
  OpenEditor();
  EXPECT_EQ(host_.Timers(), 0);
  ASSERT_TRUE(RunUntil([&] { return host_.CallbackRequests() > 0; }));
  ClickNextProgram();
  EXPECT_TRUE(RunUntil([&] { return host_.Rescans() > 0; }));
  gui_->destroy(host_.Plugin());
  const int asked = host_.CallbackRequests();
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(host_.CallbackRequests(), asked);
  EXPECT_EQ(host_.WrongThreadCalls(), 0);
}

// The panel size the user chooses is the host's to grant: refused, the panel
// keeps its size; granted (here with the host calling set_size back inside
// the request), the window and get_size follow.
TEST_F(ClapEditorTest, APanelSizeChosenOnThePanelIsAskedOfTheHostWhichMayRefuse) {
  Load(true);
  const clap_plugin* plugin = host_.Plugin();
  const auto size = [&] {
    std::uint32_t width = 0, height = 0;
    gui_->get_size(plugin, &width, &height);
    return std::make_pair(width, height);
  };
  host_.SetResizeAnswer(false);
  OpenEditor();
  ChoosePanelSize(200);
  ASSERT_TRUE(RunUntil([&] { return !host_.ResizeRequests().empty(); }));
  EXPECT_EQ(host_.ResizeRequests()[0].width, 2192u);
  EXPECT_EQ(host_.ResizeRequests()[0].height, 790u);
  EXPECT_EQ(SizeOf(PluginWindow()), std::make_pair(1096, 395));
  EXPECT_EQ(size(), std::make_pair(1096u, 395u));

  host_.SetResizeAnswer(true, true);
  ChoosePanelSize(200);
  ASSERT_TRUE(RunUntil([&] { return host_.ResizeRequests().size() == 2; }));
  GrowHostWindow(2192, 790);
  EXPECT_TRUE(RunUntil([&] { return SizeOf(PluginWindow()) == std::make_pair(2192, 790); }));
  EXPECT_EQ(size(), std::make_pair(2192u, 790u));
  gui_->destroy(plugin);
  EXPECT_EQ(host_.WrongThreadCalls(), 0);
}

TEST_F(ClapEditorTest, TheHostsScaleOpensTheEditorAtThatSize) {
  Load(true);
  OpenEditor(2.0);
  std::uint32_t width = 0, height = 0;
  ASSERT_TRUE(gui_->get_size(host_.Plugin(), &width, &height));
  EXPECT_EQ(std::make_pair(width, height), std::make_pair(2192u, 790u));
  EXPECT_TRUE(RunUntil([&] { return SizeOf(PluginWindow()) == std::make_pair(2192, 790); }));
  EXPECT_TRUE(host_.ResizeRequests().empty());
  gui_->destroy(host_.Plugin());
}
