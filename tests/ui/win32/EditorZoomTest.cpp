// The editor's window at the panel's other sizes: an instance made in this
// process, so the test can set the size as a host or the display would,
// its editor in a framed window of a host that answers no resize request.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <utility>

#include "instrument/panel/PanelEditor.h"
#include "tests/ui/win32/MessagePump.h"
#include "tests/ui/win32/SystemInput.h"
#include "tests/vst2/TestHost.h"
#include "ui/Editor.h"
#include "vst2/VstAbi.h"

using namespace vst;
using win32test::PumpFor;
using win32test::PumpUntil;

namespace {

constexpr const char* kFramedHostClass = "KestrionFramedTestHost";
constexpr int kVolume = 8;
// At 100 %: the Volume knob's centre, and a point in the program's name.
constexpr int kKnobX = 44, kKnobY = 116;
constexpr int kNameX = 700, kNameY = 350;
// A caption and a thin border: the system holds only a sizable window to
// the screen, which is narrower than the panel at 200 %.
constexpr DWORD kHostStyle = WS_POPUP | WS_CAPTION | WS_VISIBLE;

using Size = std::pair<long, long>;

Size ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

// The in-place entry's place in the editor's client area and its font's
// height, once a press at (x, y) has opened it; then Escape dismisses it.
struct Entry {
  RECT area{};
  long fontHeight = 0;
};

Entry EntryOpenedAt(HWND editor, int x, int y) {
  win32test::MoveTo(editor, x, y);
  win32test::SendMouse(MOUSEEVENTF_LEFTDOWN);
  win32test::SendMouse(MOUSEEVENTF_LEFTUP);
  HWND entry = nullptr;
  Entry shown;
  if (!PumpUntil([&] { return (entry = FindWindowExA(editor, nullptr, "EDIT", nullptr)) != nullptr; })) return shown;
  GetWindowRect(entry, &shown.area);
  MapWindowPoints(HWND_DESKTOP, editor, reinterpret_cast<POINT*>(&shown.area), 2);
  LOGFONTA font{};
  if (auto handle = reinterpret_cast<HFONT>(SendMessageA(entry, WM_GETFONT, 0, 0)))
    GetObjectA(handle, sizeof font, &font);
  shown.fontHeight = std::labs(font.lfHeight);
  PumpUntil([&] { return GetFocus() == entry; });
  win32test::Tap(VK_ESCAPE);
  PumpUntil([&] { return !FindWindowExA(editor, nullptr, "EDIT", nullptr); });
  return shown;
}

class EditorZoomTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSEXA hostClass{};
    hostClass.cbSize = sizeof hostClass;
    hostClass.lpfnWndProc = DefWindowProcA;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = kFramedHostClass;
    RegisterClassExA(&hostClass);
    RECT outer{0, 0, 1096, 395};
    AdjustWindowRect(&outer, kHostStyle, FALSE);
    host = CreateWindowExA(0, kFramedHostClass, "Framed test host", kHostStyle, 0, 0, outer.right - outer.left,
                           outer.bottom - outer.top, nullptr, nullptr, hostClass.hInstance, nullptr);
    ASSERT_TRUE(host);
    ASSERT_EQ(instance.Call(effEditOpen, 0, 0, host), 1);
    panel = EditorOf(instance.effect);
    editor = FindWindowExA(host, nullptr, "IEditorWndClass", nullptr);
    ASSERT_TRUE(panel && editor);
    SetForegroundWindow(host);
    PumpFor(120);
  }
  void TearDown() override {
    instance.Call(effEditClose);
    DestroyWindow(host);
  }

  float Volume() { return instance.effect->getParameter(instance.effect, kVolume); }
  // How far an upward drag of `pixels` from the middle moves the knob at (x, y).
  float VolumeMovedBy(int x, int y, int pixels) {
    instance.effect->setParameter(instance.effect, kVolume, 0.5f);
    PumpFor(60);
    win32test::Drag(editor, x, y, -pixels);
    return Volume() - 0.5f;
  }

  testhost::Instance instance;  // its host answers 0 to audioMasterSizeWindow
  panel::PanelEditor* panel = nullptr;
  HWND host = nullptr;
  HWND editor = nullptr;
};

TEST_F(EditorZoomTest, TheWindowTakesEachSizeAndAHostThatCannotResizeHasItsWindowResized) {
  panel->ChangeZoom(200, false);
  EXPECT_EQ(ClientSize(editor), Size(2192, 790));
  EXPECT_EQ(ClientSize(host), Size(2192, 790)) << "the host's frame was not kept around the panel";
  ERect* rect = nullptr;
  instance.Call(effEditGetRect, 0, 0, &rect);
  ASSERT_TRUE(rect);
  EXPECT_EQ(rect->right, 2192);
  EXPECT_EQ(rect->bottom, 790);

  // A size set by the host: the editor's window alone follows.
  panel->ShowAtZoom(125, false);
  EXPECT_EQ(ClientSize(editor), Size(1370, 494));
  EXPECT_EQ(ClientSize(host), Size(2192, 790));

  // A panel whose size nobody chose follows the display it is moved to,
  // and back to the one it opened on.
  RECT suggested{0, 0, 1644, 593};
  SendMessageA(editor, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_TRUE(PumpUntil([&] { return ClientSize(host) == Size(1644, 593); }));
  EXPECT_EQ(ClientSize(editor), Size(1644, 593));
  SendMessageA(editor, WM_DPICHANGED_AFTERPARENT, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return panel->Zoom() == panel->Window().SystemZoom(); })) << panel->Zoom();
}

TEST_F(EditorZoomTest, AtTwiceTheSizeAKnobTakesTwiceTheDragAndTheNameEntryCoversTheName) {
  const float moved = VolumeMovedBy(kKnobX, kKnobY, 40);
  const Entry entry = EntryOpenedAt(editor, kNameX, kNameY);
  ASSERT_GT(moved, 0.1f);
  ASSERT_GT(entry.fontHeight, 0);

  panel->ChangeZoom(200, false);
  PumpFor(120);
  EXPECT_NEAR(VolumeMovedBy(2 * kKnobX, 2 * kKnobY, 80), moved, 0.01f);

  // The name lies past the screen's right edge at 200 %: the host's window
  // moves left to bring it within reach.
  SetWindowPos(host, nullptr, -640, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const Entry zoomed = EntryOpenedAt(editor, 2 * kNameX, 2 * kNameY);
  EXPECT_NEAR(zoomed.area.left, 2 * entry.area.left, 2);
  EXPECT_NEAR(zoomed.area.top, 2 * entry.area.top, 2);
  EXPECT_NEAR(zoomed.area.right, 2 * entry.area.right, 2);
  EXPECT_NEAR(zoomed.area.bottom, 2 * entry.area.bottom, 2);
  EXPECT_NEAR(zoomed.fontHeight, 2 * entry.fontHeight, 1);
}

}  // namespace
