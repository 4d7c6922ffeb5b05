// An editor without a window: what a window would show lands in an
// in-memory frame, the timer ticks when Tick is called, and menus, text
// entries, file prompts and message boxes are answered from a script set
// up beforehand, with every question recorded. Used by the tests and the
// snapshot tool.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "ui/Editor.h"

class HeadlessEditor : public Editor {
 public:
  // What was asked, in order.
  struct MessageAsked {
    std::string text;
    std::string caption;
    int type;
  };
  struct MenuAsked {
    std::vector<std::string> labels;  // the top list as it would be shown
    Rect rect;
  };
  struct TextEntryAsked {
    Control* control;
    std::string text;
    Rect rect;
    bool forParameter;
  };
  struct FileAsked {
    std::string initialPath;
    std::string folder;
    std::string extensions;
    int mode;
  };

  // The script: each question takes the next answer of its kind; with none
  // left, a menu is dismissed, a text entry cancelled, a file prompt
  // cancelled and a message box answered with the default answer.
  struct Script {
    std::deque<int> menuChoices;        // command ids as the menu numbers them; -1 dismisses
    std::deque<std::string> menuTexts;  // or: the entry with this text (searched in the whole tree)
    std::deque<std::string> enteredTexts;
    std::deque<std::string> files;  // "" cancels
    std::deque<int> messageAnswers;
    int defaultMessageAnswer = kAnswerCancel;
    std::string clipboard;
    bool urlsOpen = false;
    std::string hostFolder, pluginFolder, desktopFolder, appDataFolder, commonAppDataFolder;
  };

  HeadlessEditor(EditorDelegate* delegate, int width, int height, int frameRate = 25);
  ~HeadlessEditor() override;

  // One timer tick: a pending text entry is committed or cancelled first
  // (and nothing else happens), otherwise the window's TimerTick runs.
  void Tick();

  Script& ScriptAnswers() { return script_; }
  const std::vector<MessageAsked>& Messages() const { return messages_; }
  const std::vector<MenuAsked>& Menus() const { return menus_; }
  const std::vector<TextEntryAsked>& TextEntries() const { return textEntries_; }
  const std::vector<FileAsked>& Files() const { return files_; }
  const std::vector<std::string>& UrlsOpened() const { return urls_; }
  bool TextEntryOpen() const { return entryControl_ != nullptr; }

  // What reached the "screen": a bitmap of the panel's size (cleared when
  // the size changes).
  const graphics::RasterMemBitmap& Frame() const { return frame_; }
  int PresentCount() const { return presentCount_; }
  // How often the "window" took a new size.
  int ResizeCount() const { return resizeCount_; }
  const Rect& LastPresented() const { return lastPresented_; }

  // Editor.
  void ResizeWindow() override;
  void PresentArea(const Rect& area) override;
  void CancelTextEntry() override;
  bool IsWindowOpen() const override { return open_; }
  const char* DrawingApiName() const override { return "Headless"; }
  int ShowMessage(const char* text, const char* caption, int type) override;
  MenuList* RunPopupMenu(MenuList* menu, const Rect& rect) override;
  void OpenTextEntry(Control* control, const TextStyle& style, const Rect& rect, const char* text,
                     const EffectParameter* parameter) override;
  void GetHostFolder(char* out) override;
  void GetPluginFolder(char* out) override;
  void GetDesktopFolder(char* out) override;
  void GetAppDataFolder(char* out, bool allUsers) override;
  void PromptForFile(char* path, int mode, char* folder, const char* extensions) override;
  void* OpenWindow(void* parent) override;
  void CloseWindow() override { open_ = false; }
  void* GetWindowHandle() const override { return open_ ? const_cast<HeadlessEditor*>(this) : nullptr; }
  bool GetClipboardText(char* out) override;

 protected:
  bool LaunchUrl(const char* url) override;

 private:
  Script script_;
  std::vector<MessageAsked> messages_;
  std::vector<MenuAsked> menus_;
  std::vector<TextEntryAsked> textEntries_;
  std::vector<FileAsked> files_;
  std::vector<std::string> urls_;
  graphics::RasterMemBitmap frame_;
  int presentCount_ = 0;
  int resizeCount_ = 0;
  Rect lastPresented_;
  bool open_ = false;
  Control* entryControl_ = nullptr;
  const EffectParameter* entryParameter_ = nullptr;
};
