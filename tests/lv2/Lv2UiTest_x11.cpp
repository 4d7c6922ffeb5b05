// The LV2 plug-in's UI in a window of the test host, on the instance the
// host hands over, run by the host's idle calls and driven with synthetic
// input (XTest). The instrument's own changes reach the host's control ports
// through the UI's writes. Needs an X server (DISPLAY).
#include <set>
#include <string>

#include "instrument/PanelCommands.h"
#include "instrument/ParameterIndex.h"
#include "tools/lv2host/Lv2Host.h"
// Last: it brings Xlib's macros.
#include "tests/ui/x11/EmbeddingHost.h"

namespace {

constexpr std::uint32_t kFirstParameter = 4;

class Lv2UiTest : public EmbeddingHost {
 protected:
  void SetUp() override {
    EmbeddingHost::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    std::string why;
    ASSERT_TRUE(host_.Load(KESTRION_LV2_BUNDLE, KESTRION_LV2_URI, &why)) << why;
    host_.Activate();
    ASSERT_TRUE(host_.Run(256));
  }
  void TearDown() override {
    host_.Unload();
    EmbeddingHost::TearDown();
  }
  // The host's idle call, and a block so that its port values reach the instance.
  void Turn() override {
    host_.UiIdle();
    host_.Run(256);
  }

  lv2host::Lv2Host host_;
};

}  // namespace

TEST_F(Lv2UiTest, RunsOnTheHostsIdleCallsAndWritesItsChangesToTheHostsPorts) {
  std::string why;
  ASSERT_TRUE(host_.OpenUi(static_cast<unsigned long>(hostWindow_), &why)) << why;
  ASSERT_FALSE(host_.ResizeRequests().empty());
  EXPECT_EQ(host_.ResizeRequests().back().width, panel::kPanelWidth);
  Run(std::chrono::milliseconds(100));
  EXPECT_TRUE(host_.UiWrites().empty());  // nothing changed yet

  // A drag on CutOff: its port follows, and only its port.
  const float before = *host_.Control(kFirstParameter + Param::Cutoff);
  DragUp(ControlArea(Param::Cutoff), 36);
  ASSERT_TRUE(RunUntil([&] { return !host_.UiWrites().empty(); }));
  Run(std::chrono::milliseconds(100));
  for (const lv2host::UiWrite& write : host_.UiWrites()) {
    EXPECT_EQ(write.port, kFirstParameter + Param::Cutoff);
    EXPECT_TRUE(write.onUiThread);
  }
  EXPECT_GT(*host_.Control(kFirstParameter + Param::Cutoff), before);
  host_.ClearUiWrites();

  // The next program: the ports of the values it changed follow.
  Click(ControlArea(panel::kNextProgram));
  ASSERT_TRUE(RunUntil([&] { return host_.UiWrites().size() > 10; }));
  std::set<std::uint32_t> ports;
  for (const lv2host::UiWrite& write : host_.UiWrites()) ports.insert(write.port);
  EXPECT_EQ(ports.size(), host_.UiWrites().size());  // each once

  host_.CloseUi();
  EXPECT_EQ(host_.OffUiThreadCalls(), 0);
}

// An editor a restored session opens before the plug-in runs again (MusE
// does so) sends the host nothing; one opened after a restore that left the
// host's ports stale sends the restored value to the port that differs.
TEST_F(Lv2UiTest, AfterARestoreWritesOnlyWhatTheHostsPortsLack) {
  float* cutoff = host_.Control(kFirstParameter + Param::Cutoff);
  const float before = *cutoff;
  *cutoff = 0.8f;
  ASSERT_TRUE(host_.Run(256));
  std::string session;
  ASSERT_TRUE(host_.SaveState(&session));
  std::vector<lv2host::StateValue> saved, bank;
  ASSERT_EQ(host_.SaveRaw(&saved), 0);
  for (const lv2host::StateValue& value : saved)
    if (value.key == std::string(KESTRION_LV2_URI) + "#bank") bank.push_back(value);
  ASSERT_EQ(bank.size(), 1u);
  *cutoff = before;
  ASSERT_TRUE(host_.Run(256));

  std::string why;
  ASSERT_TRUE(host_.RestoreState(session));
  ASSERT_TRUE(host_.OpenUi(static_cast<unsigned long>(hostWindow_), &why)) << why;
  for (int idle = 0; idle < 3; ++idle) host_.UiIdle();
  EXPECT_TRUE(host_.UiWrites().empty());
  host_.CloseUi();
  host_.ClearUiWrites();

  *cutoff = before;
  ASSERT_TRUE(host_.Run(256));
  ASSERT_EQ(host_.RestoreRaw(bank[0].key, bank[0].type, bank[0].bytes), 0);
  ASSERT_TRUE(host_.Run(256));
  ASSERT_TRUE(host_.OpenUi(static_cast<unsigned long>(hostWindow_), &why)) << why;
  host_.UiIdle();
  ASSERT_EQ(host_.UiWrites().size(), 1u);
  EXPECT_EQ(host_.UiWrites()[0].port, kFirstParameter + Param::Cutoff);
  EXPECT_FLOAT_EQ(*cutoff, 0.8f);
  host_.CloseUi();
}

// The panel size the user chooses is the host's to grant through ui:resize:
// refused, the panel keeps its size; granted, its window takes the new one.
TEST_F(Lv2UiTest, APanelSizeChosenOnThePanelIsAskedOfTheHostWhichMayRefuse) {
  std::string why;
  host_.SetResizeAnswer(false);
  ASSERT_TRUE(host_.OpenUi(static_cast<unsigned long>(hostWindow_), &why)) << why;
  const std::size_t opened = host_.ResizeRequests().size();  // the size it opened at
  ChoosePanelSize(200);
  ASSERT_TRUE(RunUntil([&] { return host_.ResizeRequests().size() > opened; }));
  EXPECT_EQ(host_.ResizeRequests().back().width, 2192);
  EXPECT_EQ(host_.ResizeRequests().back().height, 790);
  EXPECT_EQ(SizeOf(PluginWindow()), std::make_pair(1096, 395));

  host_.SetResizeAnswer(true);
  ChoosePanelSize(200);
  ASSERT_TRUE(RunUntil([&] { return host_.ResizeRequests().size() > opened + 1; }));
  GrowHostWindow(2192, 790);
  EXPECT_TRUE(RunUntil([&] { return SizeOf(PluginWindow()) == std::make_pair(2192, 790); }));
  host_.CloseUi();
  EXPECT_EQ(host_.OffUiThreadCalls(), 0);
}

TEST_F(Lv2UiTest, TheHostsScaleFactorOpensTheUiAtThatSize) {
  std::string why;
  host_.SetUiScale(2.0f);
  ASSERT_TRUE(host_.OpenUi(static_cast<unsigned long>(hostWindow_), &why)) << why;
  ASSERT_EQ(host_.ResizeRequests().size(), 1u);
  EXPECT_EQ(host_.ResizeRequests()[0].width, 2192);
  EXPECT_EQ(host_.ResizeRequests()[0].height, 790);
  EXPECT_TRUE(RunUntil([&] { return SizeOf(PluginWindow()) == std::make_pair(2192, 790); }));
  host_.CloseUi();
}
