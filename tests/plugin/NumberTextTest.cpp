#include "plugin/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "tests/vst2/TestHost.h"

namespace {

std::string Fixed(double v, int decimals, std::size_t capacity = 32) {
  char out[64] = "untouched";
  FormatFixed(v, decimals, out, capacity);
  return out;
}

TEST(NumberText, FormatsWithAPointAtTheGivenPrecision) {
  EXPECT_EQ(Fixed(0.25, 2), "0.25");
  EXPECT_EQ(Fixed(-3.14159, 1), "-3.1");
  EXPECT_EQ(Fixed(0.125, 2), "0.12");  // the nearest double, exactly as printf rounds it
  EXPECT_EQ(Fixed(1e20, 2), "100000000000000000000.00");
  EXPECT_EQ(Fixed(2.5, 3, 4), "2.5");  // cut to the capacity, terminated
}

TEST(NumberText, ReadsTheLeadingNumberLikeTheCLibraryInTheCLocale) {
  for (const char* text : {"0.5", "  -3", "+2.75", "1e3", "-2.5E-2", ".5", "7 dB", "12abc"})
    EXPECT_EQ(ParseLeadingNumber(text), std::strtod(text, nullptr)) << text;
  for (const char* text : {"", "abc", "+-3", "-", "."}) EXPECT_EQ(ParseLeadingNumber(text), 0.0) << text;
  EXPECT_EQ(ParseLeadingNumber(nullptr), 0.0);
  EXPECT_EQ(ParseLeadingNumber("0x10"), 0.0) << "decimal only: the 0 before the x";
  EXPECT_EQ(ParseLeadingNumber("1e999"), HUGE_VAL);
  EXPECT_EQ(ParseLeadingNumber("-1e999"), -HUGE_VAL);
  EXPECT_EQ(ParseLeadingNumber("1e-999"), 0.0);
}

// LC_NUMERIC, for the scope, set to an installed locale whose decimal
// separator is a comma, as hosts often set it.
class CommaLocale {
 public:
  CommaLocale() : before_(std::setlocale(LC_NUMERIC, nullptr)) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German_Germany.1252", "German"})
      if (std::setlocale(LC_NUMERIC, name) && *std::localeconv()->decimal_point == ',') {
        found_ = true;
        return;
      }
    std::setlocale(LC_NUMERIC, before_.c_str());
  }
  ~CommaLocale() { std::setlocale(LC_NUMERIC, before_.c_str()); }
  bool Found() const { return found_; }

 private:
  const std::string before_;
  bool found_ = false;
};

// A host that sets a locale with a decimal comma must not change what the
// plug-in shows or how it reads "0.25", from the host or from the editor.
TEST(NumberText, DisplaysAndTextEntryIgnoreTheHostsLocale) {
  testhost::Instance i{"", testhost::MakeHeadlessEditor};
  const CommaLocale comma;
  if (!comma.Found())
    GTEST_SKIP() << "no locale with a decimal comma is installed, so none is tested: scripts/setup.sh generates "
                    "de_DE.UTF-8";
  EXPECT_EQ(i.Call(vst::effString2Parameter, 43, 0, const_cast<char*>("0.25")), 1);
  EXPECT_EQ(i.Text(vst::effGetParamDisplay, 43), "0.25");

  // The editor's text entry, committed as the user typed it.
  i.effect->setParameter(i.effect, 43, 1.0f);
  auto* editor = static_cast<HeadlessEditor*>(&EditorOf(i.effect)->Window());
  ASSERT_NE(editor, nullptr);
  editor->Tick();
  Control* knob = nullptr;
  for (int c = 0; c < editor->ControlCount() && !knob; ++c)
    if (editor->ControlAt(c)->ParameterIndex() == 43) knob = editor->ControlAt(c);
  ASSERT_NE(knob, nullptr);
  editor->ScriptAnswers().enteredTexts.push_back("0.25");
  editor->PromptForParameter(knob);
  editor->Tick();
  EXPECT_EQ(i.Text(vst::effGetParamDisplay, 43), "0.25");
}

}  // namespace
