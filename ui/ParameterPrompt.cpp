// Asking the user for a value: the right-button prompt, the commit of a
// text entry, and the confirmations around opening a web page.
#include <cstring>
#include <string>

#include "plugin/EditorDelegate.h"
#include "plugin/EffectParameter.h"
#include "plugin/NumberText.h"
#include "ui/Editor.h"

namespace {

// A text entry hands over at most this many characters.
constexpr std::size_t kEnteredTextLength = 31;
constexpr int kPromptHalfWidth = 20;
constexpr int kPromptHalfHeight = 8;

// The display text of each value 0..count-1, "" for values without one.
std::string DisplayTextOf(const EffectParameter& parameter, int value) {
  for (const EffectParameter::ValueName& name : parameter.valueNames)
    if (name.value == value) return name.text;
  return "";
}

}  // namespace

void Editor::PromptForParameter(Control* control) {
  if (!control || !delegate_) return;
  const EffectParameter* parameter = delegate_->ParameterInfo(control->ParameterIndex());
  if (!parameter) return;

  Rect rect = control->Area();
  if (!parameter->HasValueNames()) {
    const int cx = static_cast<int>((rect.left + rect.right) * 0.5);
    const int cy = static_cast<int>((rect.top + rect.bottom) * 0.5);
    const int halfWidth = Zoomed(kPromptHalfWidth, zoom_), halfHeight = Zoomed(kPromptHalfHeight, zoom_);
    rect = {cx - halfWidth, cy - halfHeight, cx + halfWidth, cy + halfHeight};
  }

  // The definition never changes; the value is read whole, lock-free.
  const double value = parameter->value;

  if (parameter->kind == EffectParameter::kEnumeration) {
    MenuList menu(kNumberNone);
    const int count = static_cast<int>(parameter->valueNames.size());
    char current[kNameLength];
    parameter->FormatValue(value, false, current, true);
    for (int named = 0; named < count; ++named) {
      const std::string text = DisplayTextOf(*parameter, named);
      menu.AddEntry(text.c_str(), -1, nullptr, text == current ? kMenuChecked : 0);
    }
    if (MenuList* chosen = RunPopupMenu(&menu, rect); chosen && chosen->ChosenIndex() >= 0)
      control->ApplyUserValue(parameter->ToNormalized(parameter->Clamp(chosen->ChosenIndex())));
  } else {
    char text[kNameLength];
    parameter->FormatValue(value, false, text, false);
    OpenTextEntry(control, control->Style(), rect, text, parameter);
  }
  control->SetRedrawAgain();
}

void Editor::CommitTextEntry(Control* control, const EffectParameter* parameter, const char* text) {
  if (!control) return;
  const std::string entered = std::string(text ? text : "").substr(0, kEnteredTextLength);
  if (!parameter) {
    control->AcceptEnteredText(entered.c_str());
    return;
  }
  double value = 0;
  if (parameter->kind == EffectParameter::kEnumeration) {
    int named = 0;
    if (parameter->FindValueName(entered.c_str(), &named)) value = named;
  } else {
    value = ParseLeadingNumber(entered.c_str());
  }
  control->ApplyUserValue(parameter->ToNormalized(value));
}

bool Editor::OpenWebPage(const char* url, const char* caption, const char* confirmText, const char* failureText) {
  if (confirmText && confirmText[0] && ShowMessage(confirmText, caption, kMessageYesNo) != kAnswerYes) return false;
  if (url && LaunchUrl(url)) return true;
  if (failureText && failureText[0]) ShowMessage(failureText, caption, kMessageOk);
  return false;
}
