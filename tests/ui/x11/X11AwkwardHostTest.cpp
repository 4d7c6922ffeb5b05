// The editor in the hosts that make it hard: one that never idles it, one
// that idles it at 15 Hz from a thread of its own, one that embeds it with
// the embedding protocol, one that passes its keys on through the
// dispatcher, one whose window is smaller than the panel. Real input
// (XTest) each time: the panel paints and a drag on CutOff edits.
#include <X11/Xatom.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "instrument/ParameterIndex.h"
#include "tests/config/UserFolders.h"
#include "tests/ui/x11/X11TestHost.h"
#include "tools/vsthost/IdleCalls.h"

using namespace x11test;

namespace {

class X11AwkwardHostTest : public X11TestHost {
 protected:
  void SetUp() override {
    testfolders::UseFreshUserFolders();
    X11TestHost::SetUp();
  }

  // Whether the editor has painted the panel (no longer mostly black).
  bool Painted(Plugin& plugin) {
    return PumpUntil([&] {
      int width = 0, height = 0;
      const std::vector<std::uint32_t> pixels = CaptureEditor(plugin, &width, &height);
      return !pixels.empty() && std::count(pixels.begin(), pixels.end(), 0u) < static_cast<long>(pixels.size() / 2);
    });
  }
  // A drag up on CutOff from 0.5; true when the host saw the whole edit and
  // the value went up. `dx` keeps the presses of two drags apart.
  bool DragEditsCutoff(Plugin& plugin, int dx = 0) {
    Log().Clear();
    plugin.Set(Param::Cutoff, 0.5f);
    const Rect knob = ControlRect("CUTOFF");
    DragFromTo(plugin, CentreX(knob) + dx, CentreY(knob), CentreX(knob) + dx, CentreY(knob) - 40);
    return PumpUntil([&] { return Log().Count(vst::audioMasterEndEdit, Param::Cutoff) > 0; }) &&
           Log().Count(vst::audioMasterBeginEdit, Param::Cutoff) == 1 && plugin.Get(Param::Cutoff) > 0.6f;
  }
  void SendEmbedMessage(Window to, long message, long detail = 0) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = to;
    event.xclient.message_type = XInternAtom(display, "_XEMBED", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = message;
    event.xclient.data.l[2] = detail;
    event.xclient.data.l[3] = static_cast<long>(plugins.front()->hostWindow);
    XSendEvent(display, to, False, NoEventMask, &event);
    XSync(display, False);
  }
};

TEST_F(X11AwkwardHostTest, ConcurrentlyWithAHostThatNeverIdlesOrIdlesAt15HzThePanelPaintsAndDragsEdit) {
  idleEditors = false;
  Plugin& plugin = AddPlugin();
  for (const int hz : {0, 15}) {
    SCOPED_TRACE(hz);
    ASSERT_TRUE(OpenEditor(plugin));
    {
      std::unique_ptr<vsthost::IdleCalls> idle = hz ? std::make_unique<vsthost::IdleCalls>(plugin.effect, hz) : nullptr;
      EXPECT_TRUE(Painted(plugin));
      EXPECT_TRUE(DragEditsCutoff(plugin, hz));
      // The host's own calls meanwhile: the rectangle, and keys it offers.
      vst::ERect* rect = nullptr;
      EXPECT_EQ(plugin.Call(vst::effEditGetRect, 0, 0, &rect), 1);
      ASSERT_NE(rect, nullptr);
      EXPECT_EQ(rect->right - rect->left, panel::kPanelWidth);
      EXPECT_EQ(plugin.Call(vst::effEditKeyDown, ' ', vst::kVirtualKeySpace), 0);
      EXPECT_EQ(plugin.Call(vst::effEditKeyUp, ' ', vst::kVirtualKeySpace), 0);
      EXPECT_EQ(plugin.Call(vst::effEditKeyDown, 'q'), 0);
    }
    CloseEditor(plugin);
  }
}

// The host takes its keys back: space and the keys no control uses are
// answered 0, a click leaves the keyboard focus where it was, and a key the
// host itself sent is not sent back to it.
TEST_F(X11AwkwardHostTest, AnEmbeddingHostSeesTheEditorMappedAndKeepsItsFocusAndKeys) {
  Plugin& plugin = AddPlugin();
  ASSERT_TRUE(OpenEditor(plugin));
  const Window editor = EditorWindow(plugin);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const Atom info = XInternAtom(display, "_XEMBED_INFO", False);
  ASSERT_EQ(XGetWindowProperty(display, editor, info, 0, 2, False, info, &type, &format, &count, &after, &data),
            Success);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(reinterpret_cast<long*>(data)[0], 0);  // version
  EXPECT_EQ(reinterpret_cast<long*>(data)[1], 1);  // mapped
  XFree(data);
  for (const long message : {0 /* embedded */, 1 /* activate */, 4 /* focus in */}) SendEmbedMessage(editor, message);
  EXPECT_TRUE(Painted(plugin));
  EXPECT_TRUE(DragEditsCutoff(plugin));

  // Under a modal dialog of the host's, the panel takes no press.
  SendEmbedMessage(editor, 10);
  Log().Clear();
  const Rect knob = ControlRect("CUTOFF");
  ClickAt(plugin, CentreX(knob) + 6, CentreY(knob));
  EXPECT_EQ(Log().Count(vst::audioMasterBeginEdit), 0);
  SendEmbedMessage(editor, 11);
  EXPECT_TRUE(DragEditsCutoff(plugin, -6));

  XSetInputFocus(display, plugin.hostWindow, RevertToParent, CurrentTime);
  XSync(display, False);
  ClickAt(plugin, CentreX(knob), CentreY(knob) + 8);
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  EXPECT_EQ(focus, plugin.hostWindow);

  EXPECT_EQ(plugin.Call(vst::effEditKeyDown, ' ', vst::kVirtualKeySpace), 0);
  EXPECT_EQ(plugin.Call(vst::effEditKeyDown, 'q'), 0);
  // An embedder passes its keys on with XSendEvent.
  SendEmbedMessage(editor, 5);  // focus out
  hostEvents.clear();
  XEvent key{};
  key.xkey.type = KeyPress;
  key.xkey.window = editor;
  key.xkey.root = DefaultRootWindow(display);
  key.xkey.keycode = XKeysymToKeycode(display, XK_F5);
  key.xkey.same_screen = True;
  XSendEvent(display, editor, False, KeyPressMask, &key);
  XSync(display, False);
  Pump(100);
  EXPECT_TRUE(
      std::none_of(hostEvents.begin(), hostEvents.end(), [](const XEvent& event) { return event.type == KeyPress; }));
}

TEST_F(X11AwkwardHostTest, AParentSmallerThanThePanelIsAskedForAndResizedWhenTheHostDoesNot) {
  Plugin& plugin = AddPlugin(0, 0, 300, 120);
  // The host asks for the size before it opens the editor.
  vst::ERect* rect = nullptr;
  ASSERT_EQ(plugin.Call(vst::effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, panel::kPanelWidth);
  EXPECT_EQ(rect->bottom - rect->top, panel::kPanelHeight);

  ASSERT_TRUE(OpenEditor(plugin));
  const std::vector<HostCall> calls = Log().Calls();
  const auto asked = std::find_if(calls.begin(), calls.end(),
                                  [](const HostCall& call) { return call.opcode == vst::audioMasterSizeWindow; });
  ASSERT_NE(asked, calls.end());
  EXPECT_EQ(asked->index, panel::kPanelWidth);
  EXPECT_EQ(asked->value, panel::kPanelHeight);
  XWindowAttributes parent;
  ASSERT_TRUE(XGetWindowAttributes(display, plugin.hostWindow, &parent));
  EXPECT_EQ(parent.width, panel::kPanelWidth);
  EXPECT_EQ(parent.height, panel::kPanelHeight);
  EXPECT_TRUE(Painted(plugin));
  EXPECT_TRUE(DragEditsCutoff(plugin));
}

}  // namespace
