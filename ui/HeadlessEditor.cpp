#include "ui/HeadlessEditor.h"

#include <cstring>

#include "graphics/RasterBlit.h"
#include "plugin/Text.h"

namespace {

// Finds the first choosable entry with `text`, depth first; its list and index.
MenuList* FindEntryByText(MenuList* list, const std::string& text, int* index) {
  for (int i = 0; i < list->Count(); ++i) {
    MenuEntry* entry = list->Entry(i);
    if (entry->submenu) {
      if (MenuList* found = FindEntryByText(entry->submenu.get(), text, index)) return found;
    } else if (entry->text == text) {
      *index = i;
      return list;
    }
  }
  return nullptr;
}

void CopyPath(char* out, const std::string& from) { CopyText(out, from.c_str(), kPathLength); }

}  // namespace

HeadlessEditor::HeadlessEditor(EditorDelegate* delegate, int width, int height, int frameRate)
    : Editor(delegate, width, height, frameRate), frame_(width, height) {
  graphics::PaintRect(&frame_, 0, 0, width, height, 0, 1.0f, graphics::kBlitCopy);
}

HeadlessEditor::~HeadlessEditor() { CloseWindow(); }

void HeadlessEditor::Tick() {
  if (entryControl_) {
    Control* control = entryControl_;
    const EffectParameter* parameter = entryParameter_;
    entryControl_ = nullptr;
    entryParameter_ = nullptr;
    if (!script_.enteredTexts.empty()) {
      const std::string text = script_.enteredTexts.front();
      script_.enteredTexts.pop_front();
      CommitTextEntry(control, parameter, text.c_str());
    }
    return;
  }
  TimerTick();
}

void HeadlessEditor::ResizeWindow() {
  frame_.Resize(Width(), Height());
  graphics::PaintRect(&frame_, 0, 0, Width(), Height(), 0, 1.0f, graphics::kBlitCopy);
  ++resizeCount_;
}

void HeadlessEditor::PresentArea(const Rect& area) {
  ++presentCount_;
  lastPresented_ = area;
  if (!EditorBitmap()) return;
  const graphics::Rect source{area.left, area.top, area.right, area.bottom};
  graphics::CopyArea(&frame_, EditorBitmap(), area.left, area.top, &source, 1.0f, graphics::kBlitCopy);
}

void HeadlessEditor::CancelTextEntry() {
  entryControl_ = nullptr;
  entryParameter_ = nullptr;
}

int HeadlessEditor::ShowMessage(const char* text, const char* caption, int type) {
  messages_.push_back({text ? text : "", caption ? caption : "", type});
  if (script_.messageAnswers.empty()) return script_.defaultMessageAnswer;
  const int answer = script_.messageAnswers.front();
  script_.messageAnswers.pop_front();
  return answer;
}

MenuList* HeadlessEditor::RunPopupMenu(MenuList* menu, const Rect& rect) {
  ReleaseCapture();
  if (!menu) return nullptr;
  MenuAsked asked{{}, rect};
  for (int i = 0; i < menu->Count(); ++i) asked.labels.push_back(menu->Label(i));
  menus_.push_back(asked);

  MenuList* owner = nullptr;
  int index = -1;
  if (!script_.menuChoices.empty()) {
    const int id = script_.menuChoices.front();
    script_.menuChoices.pop_front();
    owner = FindMenuCommand(menu, id, &index);
  } else if (!script_.menuTexts.empty()) {
    owner = FindEntryByText(menu, script_.menuTexts.front(), &index);
    script_.menuTexts.pop_front();
  }
  // As with a real menu, greyed, disabled, separator and submenu entries
  // cannot be picked.
  if (!owner || !owner->Entry(index)->IsChoosable()) return nullptr;
  owner->SetChosenIndex(index);
  MarkAllChanged();
  return owner;
}

void HeadlessEditor::OpenTextEntry(Control* control, const TextStyle& /*style*/, const Rect& rect, const char* text,
                                   const EffectParameter* parameter) {
  if (!control || entryControl_) return;
  textEntries_.push_back({control, text ? text : "", rect, parameter != nullptr});
  entryControl_ = control;
  entryParameter_ = parameter;
}

void HeadlessEditor::GetHostFolder(char* out) { CopyPath(out, script_.hostFolder); }
void HeadlessEditor::GetPluginFolder(char* out) { CopyPath(out, script_.pluginFolder); }
void HeadlessEditor::GetDesktopFolder(char* out) { CopyPath(out, script_.desktopFolder); }
void HeadlessEditor::GetAppDataFolder(char* out, bool allUsers) {
  CopyPath(out, allUsers ? script_.commonAppDataFolder : script_.appDataFolder);
}

void HeadlessEditor::PromptForFile(char* path, int mode, char* folder, const char* extensions) {
  if (!path || !folder) return;
  files_.push_back({path, folder, extensions ? extensions : "", mode});
  std::string chosen;
  if (!script_.files.empty()) {
    chosen = script_.files.front();
    script_.files.pop_front();
  }
  CopyPath(path, chosen);
  if (chosen.empty()) return;
  // The folder of the chosen file, separator included.
  const std::size_t cut = chosen.find_last_of("/\\");
  if (cut != std::string::npos) CopyPath(folder, chosen.substr(0, cut + 1));
}

void* HeadlessEditor::OpenWindow(void* /*parent*/) {
  open_ = true;
  MarkAllChanged();
  return this;
}

bool HeadlessEditor::GetClipboardText(char* out) {
  CopyPath(out, script_.clipboard);
  return !script_.clipboard.empty();
}

bool HeadlessEditor::LaunchUrl(const char* url) {
  urls_.push_back(url);
  return script_.urlsOpen;
}
