// The CLAP plug-in's editor on Windows: a child of the test host's window at
// the panel's size, drawn by its own timer, gone when the host destroys it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/ui/win32/MessagePump.h"
#include "tools/claphost/ClapHost.h"

using namespace clap;

namespace {

constexpr int kPanelWidth = 1096, kPanelHeight = 395;

HWND FirstChild(HWND parent) { return GetWindow(parent, GW_CHILD); }

}  // namespace

TEST(ClapEditorWin32, OpensAsAChildOfTheHostsWindowAndLeavesNothingWhenDestroyed) {
  HWND host = win32test::MakeHostWindow("KestrionClapTestHost", kPanelWidth, kPanelHeight);
  ASSERT_NE(host, nullptr);

  claphost::ClapHost clap;
  std::string why;
  ASSERT_TRUE(clap.Load(KESTRION_CLAP_PATH, &why)) << why;
  auto* gui = clap.PluginExtension<clap_plugin_gui>(CLAP_EXT_GUI);
  ASSERT_NE(gui, nullptr);
  EXPECT_TRUE(gui->is_api_supported(clap.Plugin(), CLAP_WINDOW_API_WIN32, false));
  EXPECT_FALSE(gui->is_api_supported(clap.Plugin(), CLAP_WINDOW_API_X11, false));
  ASSERT_TRUE(gui->create(clap.Plugin(), CLAP_WINDOW_API_WIN32, false));
  clap_window window{};
  window.api = CLAP_WINDOW_API_WIN32;
  window.win32 = host;
  ASSERT_TRUE(gui->set_parent(clap.Plugin(), &window));
  ASSERT_TRUE(gui->show(clap.Plugin()));
  win32test::PumpFor(200);

  HWND editor = FirstChild(host);
  ASSERT_NE(editor, nullptr);
  RECT area{};
  GetClientRect(editor, &area);
  EXPECT_EQ(area.right - area.left, kPanelWidth);
  EXPECT_EQ(area.bottom - area.top, kPanelHeight);

  gui->destroy(clap.Plugin());
  win32test::PumpFor(50);
  EXPECT_EQ(FirstChild(host), nullptr);
  EXPECT_EQ(clap.Timers(), 0);
  DestroyWindow(host);
}
