// The VST 3 plug-in's view on Windows: a child of the test host's window at
// the panel's size, drawn by its own timer, taking real input (SendInput),
// gone when the host removes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/win32/MessagePump.h"
#include "tools/vst3host/Vst3Host.h"

using vst3host::HandlerCall;

namespace {

constexpr int kPanelWidth = 1096, kPanelHeight = 395;
constexpr int kCutoff = 43;
constexpr int kCutoffX = 870, kCutoffY = 42;  // the knob's centre on the panel

using win32test::PumpFor;
using win32test::PumpUntil;

void SendMouse(DWORD flags, HWND window = nullptr, int x = 0, int y = 0) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  if (window) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    flags |= MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

}  // namespace

TEST(Vst3EditorWin32, OpensAsAChildOfTheHostsWindowTakesADragAndLeavesNothingWhenRemoved) {
  HWND window = win32test::MakeHostWindow("KestrionVst3TestHost", kPanelWidth, kPanelHeight);
  ASSERT_NE(window, nullptr);

  vst3host::Vst3Host host;
  std::string why;
  ASSERT_TRUE(host.Load(KESTRION_VST3_PATH, &why)) << why;
  ASSERT_TRUE(host.OpenView(window));
  PumpFor(200);
  HWND editor = GetWindow(window, GW_CHILD);
  ASSERT_NE(editor, nullptr);
  RECT area{};
  GetClientRect(editor, &area);
  EXPECT_EQ(area.right - area.left, kPanelWidth);
  EXPECT_EQ(area.bottom - area.top, kPanelHeight);

  SendMouse(MOUSEEVENTF_MOVE, editor, kCutoffX, kCutoffY);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  PumpFor(20);
  for (int step = 1; step <= 4; ++step) {
    SendMouse(MOUSEEVENTF_MOVE, editor, kCutoffX, kCutoffY - 10 * step);
    PumpFor(20);
  }
  SendMouse(MOUSEEVENTF_LEFTUP);
  auto ended = [&] {
    for (const HandlerCall& call : host.HandlerCalls())
      if (call.kind == HandlerCall::kEndEdit && call.id == kCutoff) return true;
    return false;
  };
  EXPECT_TRUE(PumpUntil(ended));
  EXPECT_EQ(host.HandlerCalls().front().kind, HandlerCall::kBeginEdit);
  EXPECT_EQ(host.OffUiThreadCalls(), 0);

  host.CloseView();
  PumpFor(50);
  EXPECT_EQ(GetWindow(window, GW_CHILD), nullptr);
  host.Unload();
  EXPECT_EQ(host.LeakedHostReferences(), 0);
  DestroyWindow(window);
}
