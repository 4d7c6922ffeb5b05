// The panel's menus, boxes and program-name entry on a real X server, in the
// built module inside a host of our own: the test's thread is the host's,
// blocked in effEditIdle while a menu or box waits, and the user types from
// a second thread.
#include <cstdlib>
#include <string>

#include "instrument/PanelCommands.h"
#include "tests/config/UserFolders.h"
#include "tests/ui/x11/X11TestHost.h"
#include "tests/ui/x11/X11User.h"

using namespace x11test;

namespace {

class X11PanelDialogTest : public X11TestHost {
 protected:
  void SetUp() override {
    testfolders::UseFreshUserFolders();
    if (std::getenv("DISPLAY") && !x11user::KeepServerUp()) FAIL() << "cannot reach the X server";
    X11TestHost::SetUp();
  }

  Plugin& OpenPanel() {
    Plugin& plugin = AddPlugin();
    EXPECT_TRUE(OpenEditor(plugin));
    Pump(50);
    return plugin;
  }

  static std::string ProgramName(Plugin& plugin) {
    char name[256] = {};
    plugin.Call(vst::effGetProgramName, 0, 0, name);
    return name;
  }
};

TEST_F(X11PanelDialogTest, ProgramChosenFromTheProgramMenuWithArrowsAndReturn) {
  Plugin& plugin = OpenPanel();
  ASSERT_EQ(plugin.Call(vst::effGetProgram), 0);
  ClickAndAct(plugin, CentreX(panel::kProgramNumberRect), CentreY(panel::kProgramNumberRect), [](x11user::User& user) {
    if (!user.WaitForWindow("menu") || !user.WaitForKeyboardGrab()) return;
    // The first submenu (programs 00 - 15), then its third program.
    for (KeySym key : {XK_Down, XK_Right, XK_Down, XK_Down, XK_Return}) user.Key(key);
  });
  EXPECT_TRUE(PumpUntil([&] { return plugin.Call(vst::effGetProgram) == 2; }));
}

TEST_F(X11PanelDialogTest, ProgramRenamedByTypingAndReturn) {
  Plugin& plugin = OpenPanel();
  const Window editor = EditorWindow(plugin);
  ClickAndAct(plugin, CentreX(panel::kProgramNameRect), CentreY(panel::kProgramNameRect),
              [editor](x11user::User& user) {
                if (!user.WaitForFocusInside(editor)) return;
                user.Type("Warm Pad 7");  // replaces the selected old name
                user.Key(XK_Return);
              });
  EXPECT_TRUE(PumpUntil([&] { return ProgramName(plugin) == "Warm Pad 7"; })) << ProgramName(plugin);
}

TEST_F(X11PanelDialogTest, InitProgramAsksFirstEscapeKeepsTheProgramReturnInitialisesIt) {
  Plugin& plugin = OpenPanel();
  const std::string original = ProgramName(plugin);
  ASSERT_NE(original, "Init");
  const Rect options = ControlRect(panel::kOptionsMenu);
  for (const KeySym answer : {XK_Escape, XK_Return}) {
    // The second click lands apart from the first, or the two would make a double click.
    const int x = answer == XK_Escape ? options.left + 2 : options.right - 3;
    ClickAndAct(plugin, x, CentreY(options), [answer](x11user::User& user) {
      if (!user.WaitForWindow("menu") || !user.WaitForKeyboardGrab()) return;
      // Copy Program, then past the greyed Paste Program to Init Program.
      for (KeySym key : {XK_Down, XK_Down, XK_Return}) user.Key(key);
      const Window box = user.WaitForWindow("Initialize Program");
      if (box && user.WaitForFocus(box)) user.Key(answer);
    });
    Pump(50);
    EXPECT_EQ(ProgramName(plugin), answer == XK_Escape ? original : "Init");
  }
}

}  // namespace
