// The VST 2.4 plug-in's editor in a window of the test host, run by the
// host's effEditIdle calls and driven with synthetic input (XTest), as a
// Linux VST 2.4 host runs it. Needs an X server (DISPLAY).
#include <memory>
#include <string>
#include <utility>

#include "tools/vsthost/VstHost.h"
// Last: it brings Xlib's macros.
#include "tests/ui/x11/EmbeddingHost.h"

namespace {

class VstEditorTest : public EmbeddingHost {
 protected:
  // A new instance, its editor open in the host's window.
  void Open(vsthost::VstHost& host) {
    std::string why;
    ASSERT_TRUE(host.Load(KESTRION_MODULE_PATH, &why)) << why;
    host.Open();
    ASSERT_NE(host.Dispatch(vst::effEditOpen, 0, 0, ParentHandle()), 0);
  }
  void Turn() override { host_.Dispatch(vst::effEditIdle); }

  static std::pair<int, int> EditorRect(const vsthost::VstHost& host) {
    vst::ERect* rect = nullptr;
    if (!host.Dispatch(vst::effEditGetRect, 0, 0, &rect) || !rect) return {0, 0};
    return {rect->right - rect->left, rect->bottom - rect->top};
  }

  vsthost::VstHost host_;
};

}  // namespace

// The panel size the user chooses is asked of the host with
// audioMasterSizeWindow; a host that answers 0 cannot resize its window, so
// the plug-in resizes it: the panel never shows cut off.
TEST_F(VstEditorTest, APanelSizeChosenOnThePanelIsAskedOfTheHostOrMadeByResizingItsWindow) {
  for (const bool hostResizes : {true, false}) {
    SCOPED_TRACE(hostResizes ? "the host resizes its window" : "the host cannot resize its window");
    testfolders::UseFreshUserFolders();  // the first round's choice is not the second's start
    host_.SetSizeWindowAnswer(hostResizes);
    Open(host_);
    ChoosePanelSize(200);
    ASSERT_TRUE(RunUntil([&] { return !host_.SizeRequests().empty(); }));
    EXPECT_EQ(host_.SizeRequests()[0].width, 2192);
    EXPECT_EQ(host_.SizeRequests()[0].height, 790);
    if (hostResizes) GrowHostWindow(2192, 790);
    EXPECT_TRUE(RunUntil([&] { return SizeOf(PluginWindow()) == std::make_pair(2192, 790); }));
    EXPECT_EQ(EditorRect(host_), std::make_pair(2192, 790));
    EXPECT_EQ(SizeOf(hostWindow_), std::make_pair(2192, 790));
    host_.Dispatch(vst::effEditClose);
    host_.Close();
    host_.ClearLog();
  }
}

// The size is remembered in the configuration file: a new instance's editor
// opens at it.
TEST_F(VstEditorTest, ASizeChosenInOneInstanceIsTheSizeANewInstancesEditorOpensAt) {
  host_.SetSizeWindowAnswer(false);
  Open(host_);
  ChoosePanelSize(150);
  ASSERT_TRUE(RunUntil([&] { return SizeOf(PluginWindow()) == std::make_pair(1644, 593); }));
  host_.Dispatch(vst::effEditClose);

  vsthost::VstHost second;
  std::string why;
  ASSERT_TRUE(second.Load(KESTRION_MODULE_PATH, &why)) << why;
  second.Open();
  EXPECT_EQ(EditorRect(second), std::make_pair(1644, 593));
  ASSERT_NE(second.Dispatch(vst::effEditOpen, 0, 0, ParentHandle()), 0);
  EXPECT_TRUE(RunUntil([&] { return SizeOf(PluginWindow()) == std::make_pair(1644, 593); }));
  second.Dispatch(vst::effEditClose);
}
