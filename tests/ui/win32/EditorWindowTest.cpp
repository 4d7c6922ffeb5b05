// The editor's window in a small Windows host: the built DLL is loaded the
// way a host loads it, its editor opened inside a top-level window, and the
// panel driven through the window system's input queue, as a user drives
// it. Modal menus and boxes are answered from a second thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/ui/win32/MessagePump.h"
#include "tests/ui/win32/SystemInput.h"
#include "tests/vst2/TestHost.h"
#include "vst2/VstAbi.h"

using namespace vst;

namespace {

constexpr const char* kHostClass = "KestrionTestHost";
constexpr const char* kEditorClass = "IEditorWndClass";
constexpr int kCutoff = 43;
constexpr int kWheelOverride = 61;
constexpr int kPanelWidth = 1096, kPanelHeight = 395;

// What the plug-in told the host: (opcode, parameter) in order.
std::mutex hostCallsMutex;
std::vector<std::pair<int, int>> hostCalls;

VstIntPtr HostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
  if (opcode == audioMasterVersion) return 2400;
  if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit) {
    std::lock_guard<std::mutex> lock(hostCallsMutex);
    hostCalls.emplace_back(opcode, index);
  }
  return 0;
}

int CallsOf(int opcode, int index) {
  std::lock_guard<std::mutex> lock(hostCallsMutex);
  int n = 0;
  for (const auto& call : hostCalls) n += call.first == opcode && call.second == index;
  return n;
}

// Keys the host's top-level window received (what the editor passed on).
std::atomic<int> hostKeyDowns{0}, hostKeyUps{0};

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam == 'Q') ++hostKeyDowns;
  if (message == WM_KEYUP && wParam == 'Q') ++hostKeyUps;
  return DefWindowProcA(window, message, wParam, lParam);
}

using win32test::MoveTo;
using win32test::PumpFor;
using win32test::PumpUntil;
using win32test::SendMouse;
using win32test::Tap;

// Waits (on a helper thread) for a window of `className` or `title`.
HWND WaitForWindow(const char* className, const char* title, int timeoutMs = 5000) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  while (GetTickCount64() < deadline) {
    HWND window = FindWindowA(className, title);
    if (window && IsWindowVisible(window)) return window;
    Sleep(10);  // a polling slice on a thread without messages
  }
  return nullptr;
}

bool EditorClassRegistered(HMODULE dll, WNDCLASSEXA* info) {
  *info = {};
  info->cbSize = sizeof *info;
  return GetClassInfoExA(dll, kEditorClass, info);
}

// -- one plug-in instance in a window of its own -------------------------------

struct HostedPlugin {
  explicit HostedPlugin(HMODULE dll, int x = 0, int y = 0) {
    auto entry = reinterpret_cast<AEffect* (*)(AudioMasterCallback)>(
        reinterpret_cast<void*>(GetProcAddress(dll, "VSTPluginMain")));
    effect = entry ? entry(&HostCallback) : nullptr;
    if (effect) Call(effOpen);
    host = CreateWindowExA(0, kHostClass, "Test host", WS_POPUP | WS_VISIBLE, x, y, kPanelWidth + 60, kPanelHeight + 40,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~HostedPlugin() {
    if (effect) {
      Call(effEditClose);
      Call(effClose);
    }
    DestroyWindow(host);
  }
  VstIntPtr Call(VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
    return effect->dispatcher(effect, op, index, value, ptr, 0);
  }
  HWND Open() {
    Call(effEditOpen, 0, 0, host);
    return FindWindowExA(host, nullptr, kEditorClass, nullptr);
  }
  std::string ProgramName() {
    char name[300] = {};
    Call(effGetProgramName, 0, 0, name);
    return name;
  }
  AEffect* effect = nullptr;
  HWND host = nullptr;
};

class EditorWindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dll = LoadLibraryA(KESTRION_DLL_PATH);
    WNDCLASSEXA hostClass = {};
    hostClass.cbSize = sizeof hostClass;
    hostClass.lpfnWndProc = HostWindowProc;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = kHostClass;
    RegisterClassExA(&hostClass);
  }

  void SetUp() override {
    {
      std::lock_guard<std::mutex> lock(hostCallsMutex);
      hostCalls.clear();
    }
    ASSERT_TRUE(dll) << "cannot load " << KESTRION_DLL_PATH << " (error " << GetLastError() << ")";
    plugin = std::make_unique<HostedPlugin>(dll);
    ASSERT_TRUE(plugin->effect && plugin->host);
    editor = plugin->Open();
    ASSERT_TRUE(editor) << "effEditOpen made no editor window";
    SetForegroundWindow(plugin->host);
    PumpFor(120);
  }

  void Click(int x, int y) {
    MoveTo(editor, x, y);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    PumpFor(60);
  }
  // A press on the bare panel: the next press at an earlier spot is then
  // no double click.
  void ClickAway() { Click(300, 40); }
  void Drag(int x, int y, int dy) { win32test::Drag(editor, x, y, dy); }
  // Presses the button at (x, y), which opens a menu or box; `answer` runs
  // on another thread while the press is being handled.
  void PressAndAnswer(int x, int y, const std::function<void()>& answer) {
    std::thread helper(answer);
    Click(x, y);
    helper.join();
    PumpFor(60);
  }
  int Program() { return static_cast<int>(plugin->Call(effGetProgram)); }

  static HMODULE dll;
  std::unique_ptr<HostedPlugin> plugin;
  HWND editor = nullptr;
};

HMODULE EditorWindowTest::dll = nullptr;

TEST_F(EditorWindowTest, OpensAsAVisibleChildOfThePanelsSizeAndPassesKeysOnToTheHost) {
  EXPECT_EQ(GetParent(editor), plugin->host);
  EXPECT_TRUE(IsWindowVisible(editor));
  char title[32] = {};
  GetWindowTextA(editor, title, sizeof title);
  EXPECT_STREQ(title, "Kestrion");
  RECT client;
  GetClientRect(editor, &client);
  EXPECT_EQ(client.right, kPanelWidth);
  EXPECT_EQ(client.bottom, kPanelHeight);
  WNDCLASSEXA info;
  ASSERT_TRUE(EditorClassRegistered(dll, &info));
  EXPECT_TRUE(info.style & CS_DBLCLKS);

  // No control takes a letter: it reaches the host's window, key-up too.
  ClickAway();
  const int downs = hostKeyDowns, ups = hostKeyUps;
  Tap('Q');
  EXPECT_TRUE(PumpUntil([&] { return hostKeyDowns > downs && hostKeyUps > ups; }));
}

TEST_F(EditorWindowTest, DraggingAKnobAutomatesItBetweenBeginAndEndEdit) {
  plugin->effect->setParameter(plugin->effect, kCutoff, 0.5f);
  PumpFor(60);
  Drag(870, 42, -40);
  EXPECT_TRUE(PumpUntil([&] { return CallsOf(audioMasterEndEdit, kCutoff) > 0; }));
  EXPECT_EQ(CallsOf(audioMasterBeginEdit, kCutoff), 1);
  EXPECT_GT(CallsOf(audioMasterAutomate, kCutoff), 0);
  EXPECT_NEAR(plugin->effect->getParameter(plugin->effect, kCutoff), 0.75f, 0.02f);
  {
    std::lock_guard<std::mutex> lock(hostCallsMutex);
    std::vector<int> order;
    for (const auto& call : hostCalls)
      if (call.second == kCutoff && call.first != audioMasterAutomate) order.push_back(call.first);
    EXPECT_EQ(order, (std::vector<int>{audioMasterBeginEdit, audioMasterEndEdit}));
  }

  // Two notches of the wheel: two of the knob's steps of 0.01.
  const float dragged = plugin->effect->getParameter(plugin->effect, kCutoff);
  MoveTo(editor, 870, 42);
  INPUT wheel = {};
  wheel.type = INPUT_MOUSE;
  wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
  wheel.mi.mouseData = static_cast<DWORD>(-2 * WHEEL_DELTA);
  SendInput(1, &wheel, sizeof wheel);
  EXPECT_TRUE(PumpUntil([&] { return plugin->effect->getParameter(plugin->effect, kCutoff) < dragged - 0.015f; }));
  EXPECT_NEAR(plugin->effect->getParameter(plugin->effect, kCutoff), dragged - 0.02f, 0.001f);

  // The tweak panel's knob lies under the blind until the panel is opened.
  Drag(116, 350, -40);
  EXPECT_EQ(CallsOf(audioMasterBeginEdit, kWheelOverride), 0);
  Click(28, 370);
  Drag(116, 350, -40);
  EXPECT_EQ(CallsOf(audioMasterBeginEdit, kWheelOverride), 1);
  Click(28, 370);
  Drag(116, 350, -40);
  EXPECT_EQ(CallsOf(audioMasterBeginEdit, kWheelOverride), 1);
}

TEST_F(EditorWindowTest, ProgramsStepRenameAndComeFromTheMenuByKeyboard) {
  plugin->Call(effSetProgram, 0, 5);
  Click(632, 350);  // next
  EXPECT_TRUE(PumpUntil([&] { return Program() == 6; }));
  Click(588, 350);
  ClickAway();
  Click(588, 350);  // previous, twice
  EXPECT_TRUE(PumpUntil([&] { return Program() == 4; }));

  // The name opens the rename entry; typing replaces the whole name.
  Click(700, 350);
  HWND entry = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (entry = FindWindowExA(editor, nullptr, "EDIT", nullptr)) != nullptr; }));
  EXPECT_EQ(GetDlgCtrlID(entry), 99);
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == entry; }));
  for (WORD key : {'W', 'I', 'N', 'E'}) Tap(key);
  Tap(VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return plugin->ProgramName() == "wine"; })) << plugin->ProgramName();
  EXPECT_TRUE(PumpUntil([&] { return !FindWindowExA(editor, nullptr, "EDIT", nullptr); }));

  // Escape discards a rename.
  ClickAway();
  Click(700, 350);
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == FindWindowExA(editor, nullptr, "EDIT", nullptr); }));
  Tap('X');
  Tap(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !FindWindowExA(editor, nullptr, "EDIT", nullptr); }));
  EXPECT_EQ(plugin->ProgramName(), "wine");

  // So does a press on the panel while the entry is being typed into.
  ClickAway();
  Click(700, 350);
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == FindWindowExA(editor, nullptr, "EDIT", nullptr); }));
  Tap('X');
  Click(300, 40);
  EXPECT_TRUE(PumpUntil([&] { return !FindWindowExA(editor, nullptr, "EDIT", nullptr); }));
  EXPECT_EQ(plugin->ProgramName(), "wine");

  // The number opens the program menu: the second group, its first entry.
  PressAndAnswer(610, 350, [] {
    if (!WaitForWindow("#32768", nullptr)) return;
    for (WORD key : {VK_DOWN, VK_DOWN, VK_RIGHT}) Tap(key);
    // The submenu is a second menu window.
    const ULONGLONG deadline = GetTickCount64() + 3000;
    while (GetTickCount64() < deadline) {
      int menus = 0;
      for (HWND w = FindWindowA("#32768", nullptr); w; w = FindWindowExA(nullptr, w, "#32768", nullptr))
        menus += IsWindowVisible(w) ? 1 : 0;
      if (menus >= 2) break;
      Sleep(10);
    }
    Tap(VK_RETURN);
  });
  EXPECT_TRUE(PumpUntil([&] { return Program() == 16; }));
}

TEST_F(EditorWindowTest, TheOptionsMenuCopiesInitialisesAndSavesThroughTheSystemsBoxes) {
  plugin->Call(effSetProgram, 0, 3);
  const std::string name = plugin->ProgramName();
  ASSERT_NE(name, "Init");
  // Copy Program: the first entry.
  PressAndAnswer(500, 340, [] {
    if (!WaitForWindow("#32768", nullptr)) return;
    Tap(VK_DOWN);
    Tap(VK_RETURN);
  });
  ClickAway();
  // Initialise Program, the third, asks first: answered with Return (Yes).
  std::atomic<bool> boxSeen{false};
  PressAndAnswer(500, 340, [&] {
    if (!WaitForWindow("#32768", nullptr)) return;
    for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) Tap(key);
    HWND box = WaitForWindow(nullptr, "Initialize Program");
    if (!box) return;
    boxSeen = true;
    SetForegroundWindow(box);
    Tap(VK_RETURN);
  });
  EXPECT_TRUE(boxSeen);
  EXPECT_TRUE(PumpUntil([&] { return plugin->ProgramName() == "Init"; })) << plugin->ProgramName();
  EXPECT_FALSE(FindWindowA(nullptr, "Initialize Program"));

  // Save Program, past the separator: the save dialog offers the program
  // files and writes where its name field points.
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string file = std::string(folder) + "kestrion-window-test.fxp";
  DeleteFileA(file.c_str());
  ClickAway();
  std::string filter;
  PressAndAnswer(500, 340, [&] {
    if (!WaitForWindow("#32768", nullptr)) return;
    for (int i = 0; i < 5; ++i) Tap(VK_DOWN);
    Tap(VK_RETURN);
    HWND dialog = WaitForWindow("#32770", nullptr, 10000);
    if (!dialog) return;
    HWND types = GetDlgItem(dialog, 0x470);
    char text[64] = {};
    const LRESULT selected = types ? SendMessageA(types, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (selected != CB_ERR)
      SendMessageA(types, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text));
    filter = text;
    HWND name = GetDlgItem(dialog, 0x480);
    if (!name) name = GetDlgItem(dialog, 0x47c);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(filter, "*.fxp");
  EXPECT_TRUE(PumpUntil([&] { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }))
      << file << " was not saved";
  DeleteFileA(file.c_str());
}

TEST_F(EditorWindowTest, ReopeningKeepsThePlaceAndInstancesShareTheWindowClass) {
  SetWindowPos(editor, nullptr, 30, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  HWND reopened = plugin->Open();  // again, without a close
  ASSERT_TRUE(reopened);
  EXPECT_FALSE(IsWindow(editor));
  RECT rect;
  GetWindowRect(reopened, &rect);
  MapWindowPoints(HWND_DESKTOP, plugin->host, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right - rect.left, kPanelWidth);

  {
    HostedPlugin second(dll, 40, 40);
    ASSERT_TRUE(second.Open());
    PumpFor(60);
    plugin->Call(effEditClose);
    WNDCLASSEXA info;
    EXPECT_TRUE(EditorClassRegistered(dll, &info)) << "closing one editor unregistered the class";
    EXPECT_TRUE(IsWindowVisible(FindWindowExA(second.host, nullptr, kEditorClass, nullptr)));
  }
  WNDCLASSEXA info;
  EXPECT_FALSE(EditorClassRegistered(dll, &info)) << "the last editor closed, the class stayed";

  // No window to open in is refused; a host may destroy its window before
  // it closes the editor.
  {
    HostedPlugin careless(dll);
    EXPECT_EQ(careless.Call(effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(careless.Call(effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234)), 0);
    ASSERT_TRUE(careless.Open());
    DestroyWindow(careless.host);
    careless.host = nullptr;
    PumpFor(60);
  }
  EXPECT_FALSE(EditorClassRegistered(dll, &info)) << "an editor whose window went with the host's kept the class";
}

TEST_F(EditorWindowTest, AHundredOpensAndClosesLeakNoWindowObjects) {
  plugin->Call(effEditClose);
  PumpFor(60);
  const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(plugin->Open()) << i;
    PumpFor(i % 10 == 0 ? 50 : 0);  // some cycles paint before they close
    plugin->Call(effEditClose);
  }
  PumpFor(60);
  const DWORD gdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD userAfter = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu\n", gdiBefore, gdiAfter, userBefore, userAfter);
  EXPECT_LE(gdiAfter, gdiBefore + 4);
  EXPECT_LE(userAfter, userBefore + 4);
  EXPECT_FALSE(FindWindowExA(plugin->host, nullptr, nullptr, nullptr)) << "a closed editor left a window behind";
}

TEST_F(EditorWindowTest, TheWindowShowsThePanelAsTheHeadlessEditorDrawsIt) {
  // The same fresh state, rendered without a window in this process.
  testhost::Instance reference("", testhost::MakeHeadlessEditor);
  int noParent = 0;
  reference.Call(effEditOpen, 0, 0, &noParent);
  auto* headless = static_cast<HeadlessEditor*>(&EditorOf(reference.effect)->Window());
  headless->Tick();
  const graphics::RasterMemBitmap& expected = headless->Frame();

  // Text is drawn by the system and may differ: its controls are left out.
  const std::vector<Rect> text = {{598, 342, 821, 358}, {240, 340, 288, 360}, {1018, 344, 1078, 362}};
  auto isText = [&](int x, int y) {
    for (const Rect& r : text)
      if (r.Contains(x, y)) return true;
    return false;
  };
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kPanelWidth;
  info.bmiHeader.biHeight = -kPanelHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> shown(static_cast<std::size_t>(kPanelWidth) * kPanelHeight);
  int differing = -1;
  PumpUntil([&] {
    HDC window = GetDC(editor);
    HDC memory = CreateCompatibleDC(window);
    HBITMAP copy = CreateCompatibleBitmap(window, kPanelWidth, kPanelHeight);
    HGDIOBJ previous = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, kPanelWidth, kPanelHeight, window, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    GetDIBits(memory, copy, 0, kPanelHeight, shown.data(), &info, DIB_RGB_COLORS);
    DeleteObject(copy);
    DeleteDC(memory);
    ReleaseDC(editor, window);
    differing = 0;
    for (int y = 0; y < kPanelHeight; ++y)
      for (int x = 0; x < kPanelWidth; ++x) {
        const std::uint32_t want = expected.Pixels()[y * expected.RowSpan() + x] & 0xFFFFFF;
        if (!isText(x, y) && (shown[static_cast<std::size_t>(y) * kPanelWidth + x] & 0xFFFFFF) != want) ++differing;
      }
    return differing == 0;
  });
  EXPECT_EQ(differing, 0) << "pixels outside text differ from the headless editor's frame";
}

}  // namespace
