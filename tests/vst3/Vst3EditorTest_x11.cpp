// The VST 3 plug-in's view in a window of the test host, run by the host's
// run loop (a timer and the display connection's descriptor) and driven
// with synthetic input (XTest), as a Linux VST 3 host runs it. Needs an X
// server (DISPLAY).
#include <string>
#include <vector>

#include "instrument/PanelCommands.h"
#include "instrument/ParameterIndex.h"
#include "tools/vst3host/Vst3Host.h"
// Last: it brings Xlib's macros.
#include "tests/ui/x11/EmbeddingHost.h"

using vst3host::HandlerCall;

namespace {

class Vst3EditorTest : public EmbeddingHost {
 protected:
  void SetUp() override {
    EmbeddingHost::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    std::string why;
    ASSERT_TRUE(host_.Load(KESTRION_VST3_PATH, &why)) << why;
    ASSERT_TRUE(host_.Activate(48000, 256));
  }
  void TearDown() override {
    host_.Unload();
    EmbeddingHost::TearDown();
  }
  void Turn() override { host_.RunLoopOnce(); }

  int Calls(HandlerCall::Kind kind) const {
    int count = 0;
    for (const HandlerCall& call : host_.HandlerCalls()) count += call.kind == kind;
    return count;
  }

  vst3host::Vst3Host host_;
};

}  // namespace

TEST_F(Vst3EditorTest, RunsOnTheHostsRunLoopAndItsEditsReachTheHostAsGestures) {
  ASSERT_TRUE(host_.OpenView(ParentHandle()));
  EXPECT_EQ(host_.ViewSize().right - host_.ViewSize().left, panel::kPanelWidth);
  EXPECT_EQ(host_.ViewSize().bottom - host_.ViewSize().top, panel::kPanelHeight);
  EXPECT_EQ(host_.RegisteredTimers(), 1);
  EXPECT_EQ(host_.RegisteredDescriptors(), 1);
  Run(std::chrono::milliseconds(100));

  // The program arrow selects the next program: the host reads the values
  // and the program list again.
  Click(ControlArea(panel::kNextProgram));
  EXPECT_TRUE(RunUntil([&] { return Calls(HandlerCall::kRestartComponent) > 0; }));
  EXPECT_GE(Calls(HandlerCall::kProgramListChange), 1);
  host_.ClearHandlerCalls();

  // A drag on the cutoff knob is one gesture: begin, values, end.
  DragUp(ControlArea(Param::Cutoff), 36);
  ASSERT_TRUE(RunUntil([&] { return Calls(HandlerCall::kEndEdit) > 0; }));
  std::vector<HandlerCall::Kind> kinds;
  for (const HandlerCall& call : host_.HandlerCalls()) {
    EXPECT_EQ(call.id, static_cast<vst3::ParamID>(Param::Cutoff));
    if (kinds.empty() || kinds.back() != call.kind) kinds.push_back(call.kind);
  }
  EXPECT_EQ(kinds, (std::vector<HandlerCall::Kind>{HandlerCall::kBeginEdit, HandlerCall::kPerformEdit,
                                                   HandlerCall::kEndEdit}));

  host_.CloseView();
  EXPECT_EQ(host_.RegisteredTimers(), 0);
  EXPECT_EQ(host_.RegisteredDescriptors(), 0);
  EXPECT_EQ(host_.OffUiThreadCalls(), 0);
  // A second view opens after the first is gone.
  ASSERT_TRUE(host_.OpenView(ParentHandle()));
  Run(std::chrono::milliseconds(50));
  host_.CloseView();
}

// The panel size the user chooses is the host's to grant: refused, the view
// keeps its size; granted, it follows once the host's window has room. A
// host that grants and never makes room (as Ardour 7.3 does) keeps a whole
// panel at the old size.
TEST_F(Vst3EditorTest, APanelSizeChosenOnThePanelIsAskedOfTheFrameWhichMayRefuse) {
  const auto size = [&] {
    vst3::ViewRect rect{};
    host_.View()->getSize(&rect);
    return std::make_pair(rect.right - rect.left, rect.bottom - rect.top);
  };
  host_.SetResizeAnswer(false);
  ASSERT_TRUE(host_.OpenView(ParentHandle()));
  ChoosePanelSize(200);
  ASSERT_TRUE(RunUntil([&] { return !host_.ResizeRequests().empty(); }));
  const vst3::ViewRect asked = host_.ResizeRequests()[0];
  EXPECT_EQ(std::make_pair(asked.right - asked.left, asked.bottom - asked.top), std::make_pair(2192, 790));
  EXPECT_EQ(SizeOf(PluginWindow()), std::make_pair(1096, 395));
  EXPECT_EQ(size(), std::make_pair(1096, 395));

  host_.SetResizeAnswer(true);
  ChoosePanelSize(200);
  ASSERT_TRUE(RunUntil([&] { return host_.ResizeRequests().size() == 2; }));
  Run(std::chrono::milliseconds(2500));
  GrowHostWindow(2192, 790);
  Run(std::chrono::milliseconds(300));
  EXPECT_EQ(SizeOf(PluginWindow()), std::make_pair(1096, 395));

  ChoosePanelSize(200);
  ASSERT_TRUE(RunUntil([&] { return host_.ResizeRequests().size() == 3; }));
  EXPECT_TRUE(RunUntil([&] { return SizeOf(PluginWindow()) == std::make_pair(2192, 790); }));
  EXPECT_EQ(size(), std::make_pair(2192, 790));
  host_.CloseView();
  EXPECT_EQ(host_.OffUiThreadCalls(), 0);
}

TEST_F(Vst3EditorTest, TheHostsContentScaleOpensTheViewAtThatSize) {
  host_.SetContentScale(2.0f);
  ASSERT_TRUE(host_.OpenView(ParentHandle()));
  EXPECT_EQ(host_.ViewSize().right - host_.ViewSize().left, 2192);
  EXPECT_EQ(host_.ViewSize().bottom - host_.ViewSize().top, 790);
  EXPECT_TRUE(RunUntil([&] { return SizeOf(PluginWindow()) == std::make_pair(2192, 790); }));
  EXPECT_TRUE(host_.ResizeRequests().empty());
  host_.CloseView();
}
