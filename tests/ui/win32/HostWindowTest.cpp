// The built module's editor in the window of a VST 2.4 host that sends
// effEditIdle at its own rate or never, keeps the keyboard for its own
// shortcuts and may open the editor in a window too small for it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "tests/ui/win32/MessagePump.h"
#include "tests/ui/win32/SystemInput.h"
#include "tools/vsthost/VstHost.h"

using win32test::PumpUntil;

namespace {

constexpr const char* kIdlingHostClass = "KestrionIdlingTestHost";
constexpr UINT_PTR kIdleTimer = 1;
constexpr int kCutoff = 43;
// At 100 %: the CutOff knob's centre, a point in the program's name.
constexpr int kCutoffX = 870, kCutoffY = 42;
constexpr int kNameX = 700, kNameY = 350;
constexpr int kPanelWidth = 1096, kPanelHeight = 395;

using Size = std::pair<long, long>;

Size ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

// An undrawn window shows black, which the panel has nowhere.
bool PanelShown(HWND editor) {
  HDC context = GetDC(editor);
  bool shown = true;
  for (int y = 10; y < kPanelHeight && shown; y += 40)
    for (int x = 10; x < kPanelWidth && shown; x += 60) {
      const COLORREF pixel = GetPixel(context, x, y);
      shown = pixel != CLR_INVALID && (pixel & 0xFFFFFF) != 0;
    }
  ReleaseDC(editor, context);
  return shown;
}

void Click(HWND window, int x, int y) {
  win32test::MoveTo(window, x, y);
  win32test::SendMouse(MOUSEEVENTF_LEFTDOWN);
  win32test::SendMouse(MOUSEEVENTF_LEFTUP);
}

class HostWindowTest : public testing::Test {
 protected:
  // The host's window: its timer is the host's idle, and it counts the Q
  // key as a host's shortcut.
  static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* test = reinterpret_cast<HostWindowTest*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (test && message == WM_TIMER && wParam == kIdleTimer) {
      test->plugin.Dispatch(vst::effEditIdle);
      ++test->idles;
      return 0;
    }
    if (test && message == WM_KEYDOWN && wParam == 'Q') ++test->hostKeys;
    return DefWindowProcA(window, message, wParam, lParam);
  }

  // One host window for every test: Wine takes two seconds to destroy an
  // activated window when no window manager runs.
  static void SetUpTestSuite() {
    WNDCLASSEXA hostClass{};
    hostClass.cbSize = sizeof hostClass;
    hostClass.lpfnWndProc = HostProc;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = kIdlingHostClass;
    hostClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassExA(&hostClass);
    host = CreateWindowExA(0, kIdlingHostClass, "Idling test host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                           kPanelWidth + 60, kPanelHeight + 40, nullptr, nullptr, hostClass.hInstance, nullptr);
  }
  static void TearDownTestSuite() { DestroyWindow(host); }

  // The plug-in, and the host's window at its size with the keyboard.
  void SetUp() override {
    ASSERT_TRUE(host);
    std::string why;
    ASSERT_TRUE(plugin.Load(KESTRION_DLL_PATH, &why)) << why;
    plugin.Open();
    SetWindowLongPtrA(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowPos(host, nullptr, 0, 0, kPanelWidth + 60, kPanelHeight + 40, SWP_NOMOVE | SWP_NOZORDER);
    SetForegroundWindow(host);
    SetFocus(host);
  }
  void TearDown() override {
    plugin.Dispatch(vst::effEditClose);
    KillTimer(host, kIdleTimer);
    SetWindowLongPtrA(host, GWLP_USERDATA, 0);
  }

  // The editor opened in the host's window, idled `idleHz` times a second
  // (0: never). The window is black first: a panel shown is this editor's.
  void OpenEditor(int idleHz) {
    InvalidateRect(host, nullptr, TRUE);
    UpdateWindow(host);
    if (idleHz > 0)
      SetTimer(host, kIdleTimer, static_cast<UINT>(1000 / idleHz), nullptr);
    else
      KillTimer(host, kIdleTimer);
    ASSERT_NE(plugin.Dispatch(vst::effEditOpen, 0, 0, host), 0);
    editor = FindWindowExA(host, nullptr, "IEditorWndClass", nullptr);
    ASSERT_TRUE(editor);
  }

  bool CutoffEditEnded() {
    for (const auto& notice : plugin.EditNotices())
      if (notice.kind == vsthost::EditNotice::kEndEdit && notice.index == kCutoff) return true;
    return false;
  }

  static HWND host;
  vsthost::VstHost plugin;
  HWND editor = nullptr;
  int idles = 0;
  int hostKeys = 0;
};

HWND HostWindowTest::host = nullptr;

TEST_F(HostWindowTest, ThePanelDrawsAndTakesADragWhetherTheHostIdlesItNeverOrFifteenTimesASecond) {
  for (const int idleHz : {0, 15}) {
    SCOPED_TRACE(idleHz ? "effEditIdle at 15 Hz" : "no effEditIdle");
    idles = 0;
    OpenEditor(idleHz);
    EXPECT_TRUE(PumpUntil([&] { return PanelShown(editor); })) << "the panel was not drawn";
    plugin.SetParameter(kCutoff, 0.5f);
    win32test::Drag(editor, kCutoffX, kCutoffY, -40);
    EXPECT_TRUE(PumpUntil([&] { return plugin.GetParameter(kCutoff) > 0.6f; })) << plugin.GetParameter(kCutoff);
    EXPECT_TRUE(idleHz == 0 || PumpUntil([&] { return idles > 0; })) << "the host never idled";
    plugin.Dispatch(vst::effEditClose);
  }
}

TEST_F(HostWindowTest, ClicksLeaveTheKeyboardWithTheHostAndTheNameEntryGivesItBack) {
  OpenEditor(15);
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == host; }));
  Click(editor, kCutoffX, kCutoffY);
  ASSERT_TRUE(PumpUntil([&] { return CutoffEditEnded(); }));
  EXPECT_EQ(GetFocus(), host);
  const int keys = hostKeys;
  win32test::Tap('Q');
  EXPECT_TRUE(PumpUntil([&] { return hostKeys > keys; })) << "a key typed after the click missed the host";

  Click(editor, kNameX, kNameY);
  ASSERT_TRUE(PumpUntil([&] {
    HWND entry = FindWindowExA(editor, nullptr, "EDIT", nullptr);
    return entry && GetFocus() == entry;
  }));
  for (WORD key : {'H', 'O', 'S', 'T'}) win32test::Tap(key);
  win32test::Tap(VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return plugin.ProgramName() == "host"; })) << plugin.ProgramName();
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == host; })) << "the entry kept the keyboard";
}

// A host that answers 0 to audioMasterSizeWindow cannot make room itself:
// the plug-in makes it.
TEST_F(HostWindowTest, OpensAtTheSizeItReportedAndGrowsAHostWindowTooSmallForIt) {
  plugin.SetSizeWindowAnswer(false);
  vst::ERect* rect = nullptr;
  ASSERT_NE(plugin.Dispatch(vst::effEditGetRect, 0, 0, &rect), 0);
  ASSERT_TRUE(rect);
  const Size reported(rect->right - rect->left, rect->bottom - rect->top);
  for (const Size& given : {Size(600, 300), Size(reported.first + 100, 300)}) {
    SCOPED_TRACE(std::to_string(given.first) + " x " + std::to_string(given.second));
    SetWindowPos(host, nullptr, 0, 0, given.first, given.second, SWP_NOMOVE | SWP_NOZORDER);
    OpenEditor(0);
    EXPECT_EQ(ClientSize(editor), reported);
    EXPECT_EQ(ClientSize(host), Size(std::max(given.first, reported.first), reported.second));
    plugin.Dispatch(vst::effEditClose);
  }
}

}  // namespace
