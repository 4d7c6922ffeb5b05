// The panel at twice its size on a real X server, in the built module inside
// a host of our own: the same gestures, made twice as long, do what they do
// at 100 %, and the editor's own menus and text entry grow with the panel.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "instrument/PanelCommands.h"
#include "instrument/ParameterIndex.h"
#include "tests/config/UserFolders.h"
#include "tests/ui/x11/X11TestHost.h"
#include "tests/ui/x11/X11User.h"

using namespace x11test;

namespace {

class X11ZoomTest : public X11TestHost {
 protected:
  void SetUp() override {
    testfolders::UseFreshUserFolders();
    if (std::getenv("DISPLAY") && !x11user::KeepServerUp()) FAIL() << "cannot reach the X server";
    X11TestHost::SetUp();
  }
  void TearDown() override {
    X11TestHost::TearDown();
    unsetenv("GDK_SCALE");
  }

  // A new instance whose editor opens at `zoom` percent (100 or 200) as the
  // desktop's scale, in a host window sized as the editor asked.
  Plugin& OpenAt(int zoom) {
    setenv("GDK_SCALE", zoom == 200 ? "2" : "1", 1);
    Plugin& plugin = AddPlugin();
    vst::ERect* rect = nullptr;
    plugin.Call(vst::effEditGetRect, 0, 0, &rect);
    EXPECT_NE(rect, nullptr);
    if (rect) {
      EXPECT_EQ(rect->right - rect->left, At(panel::kPanelWidth, zoom));
      XResizeWindow(display, plugin.hostWindow, static_cast<unsigned>(rect->right - rect->left),
                    static_cast<unsigned>(rect->bottom - rect->top));
    }
    EXPECT_TRUE(OpenEditor(plugin));
    Pump(50);
    return plugin;
  }

  // Moves the host's window left until `area` of the panel is on the screen:
  // the panel at twice its size may be wider than the screen.
  void BringIntoView(const Plugin& plugin, const Rect& area) {
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    XMoveWindow(display, plugin.hostWindow, std::min(0, screenWidth - area.right), 0);
    XSync(display, False);
  }

  static int At(int pixels, int zoom) { return pixels * zoom / 100; }
  static Rect At(const Rect& r, int zoom) {
    return {At(r.left, zoom), At(r.top, zoom), At(r.right, zoom), At(r.bottom, zoom)};
  }

  // The in-place entry: the editor window's only child; 0 while none is open.
  Window EntryWindow(const Plugin& plugin) {
    Window root, parent, *children = nullptr, entry = 0;
    unsigned count = 0;
    if (XQueryTree(display, EditorWindow(plugin), &root, &parent, &children, &count) && count > 0) entry = children[0];
    if (children) XFree(children);
    return entry;
  }
  static std::string ProgramName(Plugin& plugin) {
    char name[256] = {};
    plugin.Call(vst::effGetProgramName, 0, 0, name);
    return name;
  }
  XWindowAttributes EditorGeometry(const Plugin& plugin) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, EditorWindow(plugin), &attributes);
    return attributes;
  }
};

TEST_F(X11ZoomTest, AKnobDraggedTwiceAsFarTurnsAsFarAndTheNameEntryOpensOverItsFieldAndTakesText) {
  constexpr int kDrag = 40;  // pixels at 100 %
  const Rect knob = ControlRect("VOLUME");
  float turned[2] = {};
  XWindowAttributes entry[2] = {};
  for (int i = 0; i < 2; ++i) {
    const int zoom = i == 0 ? 100 : 200;
    SCOPED_TRACE(zoom);
    Log().Clear();
    Plugin& plugin = OpenAt(zoom);
    const Rect at = At(knob, zoom);
    // Down from the default, the top of the range.
    DragFromTo(plugin, CentreX(at), CentreY(at), CentreX(at), CentreY(at) + At(kDrag, zoom));
    ASSERT_TRUE(PumpUntil([&] { return Log().Count(vst::audioMasterEndEdit, Param::Volume) > 0; }));
    turned[i] = plugin.Get(Param::Volume);

    const Rect name = At(panel::kProgramNameRect, zoom);
    BringIntoView(plugin, name);
    ClickAt(plugin, CentreX(name), CentreY(name));
    ASSERT_TRUE(PumpUntil([&] { return EntryWindow(plugin) != 0; }));
    XGetWindowAttributes(display, EntryWindow(plugin), &entry[i]);
    x11user::User user(input);
    ASSERT_TRUE(user.WaitForFocus(EntryWindow(plugin)));
    user.Type("Warm Pad 7");  // replaces the selected old name
    user.Key(XK_Return);
    EXPECT_TRUE(PumpUntil([&] { return ProgramName(plugin) == "Warm Pad 7"; })) << ProgramName(plugin);
    Remove(plugin);
  }
  EXPECT_LT(turned[0], 0.9f);
  EXPECT_NEAR(turned[1], turned[0], 0.01f);
  // Over its field at either size: twice as far from the corner and twice as large.
  EXPECT_NEAR(entry[1].x, 2 * entry[0].x, 1);
  EXPECT_NEAR(entry[1].y, 2 * entry[0].y, 1);
  EXPECT_NEAR(entry[1].width, 2 * entry[0].width, 2);
  EXPECT_NEAR(entry[1].height, 2 * entry[0].height, 2);
}

TEST_F(X11ZoomTest, TheOptionsMenuIsTwiceAsTallAndItsPanelSizeResizesTheWindow) {
  const Rect options = ControlRect(panel::kOptionsMenu);
  int menuHeight[2] = {};
  for (int i = 0; i < 2; ++i) {
    const int zoom = i == 0 ? 100 : 200;
    SCOPED_TRACE(zoom);
    Plugin& plugin = OpenAt(zoom);
    const Rect at = At(options, zoom);
    ClickAndAct(plugin, CentreX(at), CentreY(at), [&](x11user::User& user) {
      const Window menu = user.WaitForWindow("menu");
      XWindowAttributes attributes{};
      if (!menu || !XGetWindowAttributes(input, menu, &attributes) || !user.WaitForKeyboardGrab()) return;
      menuHeight[i] = attributes.height;
      if (zoom == 100) {
        user.Key(XK_Escape);
        return;
      }
      // Up from nothing lands on the last entry, Panel Size; its submenu opens on 100 %.
      for (KeySym key : {XK_Up, XK_Right, XK_Down, XK_Down, XK_Return}) user.Key(key);
    });
    if (zoom == 100) {
      Remove(plugin);
      continue;
    }
    EXPECT_TRUE(PumpUntil([&] {
      const XWindowAttributes editor = EditorGeometry(plugin);
      return editor.width == 1644 && editor.height == 593;
    })) << EditorGeometry(plugin).width
        << " x " << EditorGeometry(plugin).height;
  }
  ASSERT_GT(menuHeight[0], 0);
  // The fonts round their metrics on their own: a pixel or two per row.
  EXPECT_NEAR(menuHeight[1], 2 * menuHeight[0], menuHeight[0] / 10);
}

}  // namespace
