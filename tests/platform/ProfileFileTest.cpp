// The same sequence of profile calls on both systems must read the same
// values and leave the same file. ProfileTranscript.txt was recorded with
// the Windows build's system functions (under Wine); the Linux build's own
// implementation has to reproduce it exactly, line endings aside.
#include "platform/ProfileFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/FileSystem.h"

namespace {

using platform::ClearProfileSection;
using platform::ReadProfileValue;
using platform::WriteProfileValue;

std::string WithoutCarriageReturns(std::string text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

class Transcript {
 public:
  explicit Transcript(std::string path) : path_(std::move(path)) {}

  void Read(const char* section, const char* key, const char* defaultValue, std::size_t size) {
    char buffer[512];
    std::memset(buffer, '#', sizeof buffer);
    const std::size_t count = ReadProfileValue(path_, section, key, defaultValue, buffer, size);
    text_ += "read [" + std::string(section) + "] " + key + " (" + std::to_string(size) + ") -> " +
             std::to_string(count) + " '" + buffer + "'\n";
  }
  void File(const char* title) {
    std::string bytes;
    platform::ReadWholeFile(path_, 1 << 20, bytes);
    text_ += std::string("file after ") + title + ":\n" + WithoutCarriageReturns(bytes) + "--\n";
  }
  const std::string& Text() const { return text_; }

 private:
  std::string path_;
  std::string text_;
};

void WriteRaw(const std::string& path, const std::string& text) {
  ASSERT_TRUE(platform::WriteFileAtomically(path, text));
}

std::string RunScript(const std::string& folder) {
  const std::string fresh = platform::JoinPath(folder, "fresh.ini");
  const std::string hand = platform::JoinPath(folder, "hand.ini");
  std::remove(fresh.c_str());
  Transcript t(fresh);

  // A fresh user: nothing there, then a first full save of the settings.
  t.Read("MIDI Global", "MIDI Thru", "false", 64);
  ClearProfileSection(fresh, "Startup Bank");
  WriteProfileValue(fresh, "Startup Bank", "File", "");
  WriteProfileValue(fresh, "MIDI Global", "MIDI Thru", "false");
  WriteProfileValue(fresh, "MIDI Global", "Ignore Program Change", "false");
  ClearProfileSection(fresh, "Editor");
  ClearProfileSection(fresh, "MIDI Control");
  WriteProfileValue(fresh, "MIDI Control", "CC7", "0");
  WriteProfileValue(fresh, "MIDI Control", "CC74", "12");
  t.File("the first save");

  // Names ignore case; buffers cut values; missing keys give the default.
  WriteProfileValue(fresh, "midi global", "midi thru", "TRUE");
  t.Read("MIDI GLOBAL", "Midi Thru", "false", 64);
  t.Read("MIDI Control", "CC7", "-1", 64);
  t.Read("MIDI Control", "CC8", "-1", 64);
  t.Read("MIDI Control", "CC74", "-1", 3);
  t.Read("MIDI Control", "CC74", "-1", 2);
  t.Read("MIDI Control", "CC74", "-1", 1);
  t.Read("Nowhere", "CC74", "default  ", 64);
  t.Read("Global", "Path to Program Files", "", 64);
  t.File("a rewrite in other case");

  // A second save replaces the bound controllers and the startup bank.
  ClearProfileSection(fresh, "Startup Bank");
  WriteProfileValue(fresh, "Startup Bank", "File", "/banks/My Bank.fxb");
  ClearProfileSection(fresh, "Editor");
  ClearProfileSection(fresh, "MIDI Control");
  WriteProfileValue(fresh, "MIDI Control", "CC1", "5");
  WriteProfileValue(fresh, "Global", "Path to Program Files", "  /home/user/My Sounds  ");
  t.Read("Global", "Path to Program Files", "", 1024);
  WriteProfileValue(fresh, "MIDI Control", "CC1", nullptr);
  t.File("the second save and a removed key");

  // A file edited by hand: blanks, comments, quotes, repeated and bare keys.
  WriteRaw(hand,
           "top=1\n; comment\n\n[MIDI Global]\n  MIDI Thru  =  yes please  \n"
           "Ignore Program Change=\nquoted = \"x\" \nCC7=first\ncc7=second\nbare\n\n; later\n"
           "single='one'\nhalf=\"open\nempty=\"\"\n[ MIDI Control ]\nCC7 = 0\nCC8=abc\n"
           "CC9=85\nCC10=" +
               std::string(300, 'v') + "\n");
  Transcript h(hand);
  h.Read("MIDI Global", "MIDI Thru", "D", 64);
  h.Read("MIDI Global", "Ignore Program Change", "D", 64);
  h.Read("MIDI Global", "quoted", "D", 64);
  h.Read("MIDI Global", "cc7", "D", 64);
  h.Read("MIDI Global", "bare", "D", 64);
  h.Read("MIDI Global", "single", "D", 64);
  h.Read("MIDI Global", "half", "D", 64);
  h.Read("MIDI Global", "empty", "D", 64);
  h.Read("midi global ", "MIDI Thru", "D", 64);
  h.Read("MIDI Control", "CC7", "-1", 64);
  h.Read("MIDI Control", "CC8", "-1", 64);
  h.Read("MIDI Control", "CC10", "-1", 259);
  h.Read("", "top", "D", 64);
  WriteProfileValue(hand, "MIDI Global", "new", "1");
  WriteProfileValue(hand, "MIDI Global", "IGNORE PROGRAM CHANGE", "true");
  WriteProfileValue(hand, "Startup Bank", "File", "");
  h.File("writes into a hand-made file");
  ClearProfileSection(hand, "MIDI Global");
  h.File("emptying a section");
  return t.Text() + h.Text();
}

TEST(ProfileFile, CallsReadAndWriteAsTheSystemFunctionsDo) {
  const std::string actual = RunScript(TEST_OUTPUT_DIR);
  // Kept for recording a new reference and for looking at a difference.
  platform::WriteFileAtomically(std::string(TEST_OUTPUT_DIR) + "/ProfileTranscript.actual.txt", actual);
  std::string expected;
  ASSERT_TRUE(platform::ReadWholeFile(PROFILE_TRANSCRIPT, 1 << 20, expected));
  EXPECT_EQ(actual, WithoutCarriageReturns(expected));
}

TEST(ProfileFile, NoBufferOrNullNamesReadNothing) {
  const std::string path = std::string(TEST_OUTPUT_DIR) + "/null.ini";
  WriteProfileValue(path, "S", "k", "v");
  char buffer[8] = "xxxxxxx";
  EXPECT_EQ(ReadProfileValue(path, "S", "k", "d", buffer, 0), 0u);
  EXPECT_EQ(buffer[0], 'x');
  EXPECT_EQ(ReadProfileValue(path, "S", "k", "d", nullptr, 8), 0u);
  EXPECT_EQ(ReadProfileValue(path, nullptr, "k", "d", buffer, 8), 0u);
  EXPECT_EQ(ReadProfileValue(path, "S", nullptr, "d", buffer, 8), 0u);
  WriteProfileValue(path, "S", nullptr, "v");  // must not delete the section
  EXPECT_EQ(ReadProfileValue(path, "S", "k", nullptr, buffer, 8), 1u);
  EXPECT_STREQ(buffer, "v");
  EXPECT_EQ(ReadProfileValue(path, "S", "missing", nullptr, buffer, 8), 0u);
  EXPECT_STREQ(buffer, "");
}

}  // namespace
