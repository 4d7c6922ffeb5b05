#include "instrument/UpdateCheck.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "tests/platform/LoopbackServer.h"
#include "ui/HeadlessEditor.h"

namespace {

using loopback::Answer;
using loopback::LoopbackServer;

const char* const kTitle = "Check Online for Update";
const char* const kOfferTitle = "New Version of Kestrion Detected";
const char* const kDownloadPage = "http://loopback.example/music/vst.html";
const std::string kContactError = "An error occurred while contacting loopback.example.";
constexpr int kErrorBox = kMessageIconError | kMessageOk;

update::UpdateServer ServerAt(int port) {
  return {"127.0.0.1", port, "loopback.example", "http://loopback.example/", kDownloadPage, 1000, 2000};
}

std::string Offer(const std::string& release) {
  return "A new version of Kestrion is available.\n\n\tYour version: \t2.3.2.N\n\tNew version: \t" + release +
         "\n\nDo you want to go to http://loopback.example/ to get the new version?";
}

struct Outcome {
  const char* what;
  std::string response;  // empty: no server listens
  int answer;            // to the message shown
  int result;
  std::string text;
  std::string caption;
  int type;
  bool pageOpened;
};

TEST(UpdateCheck, EachAnswerOfTheServerEndsInItsMessage) {
  const std::string upToDate = "Your version is up to date.";
  const int information = kMessageIconInformation | kMessageOk;
  const Outcome outcomes[] = {
      {"this release", Answer("2302"), kAnswerOk, update::kCheckDone, upToDate, kTitle, information, false},
      {"a patch", Answer("2303"), kAnswerYes, update::kCheckDone, Offer("2.3.3"), kOfferTitle, kMessageYesNo, true},
      {"a two-digit patch, in chunks",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n23\r\n2\r\n12\r\n0\r\n\r\n", kAnswerNo,
       update::kCheckDone, Offer("2.3.12"), kOfferTitle, kMessageYesNo, false},
      {"a major release, up to the close", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n3000", kAnswerCancel,
       update::kCheckDone, Offer("3.0.0"), kOfferTitle, kMessageYesNo, true},
      {"a web page", Answer("<html><body>Not here</body></html>"), kAnswerOk, update::kNotAReleaseNumber,
       "Invalid call to loopback.example.", kTitle, kErrorBox, false},
      {"no number", Answer("abc"), kAnswerOk, update::kCheckDone, upToDate, kTitle, information, false},
      {"an empty body", Answer(""), kAnswerOk, update::kNothingReceived, kContactError, kTitle, kErrorBox, false},
      {"no server", "", kAnswerOk, update::kNothingReceived, kContactError, kTitle, kErrorBox, false},
  };
  for (const Outcome& outcome : outcomes) {
    SCOPED_TRACE(outcome.what);
    std::unique_ptr<LoopbackServer> server;
    if (!outcome.response.empty()) server = std::make_unique<LoopbackServer>(outcome.response);
    HeadlessEditor editor(nullptr, 1, 1);
    editor.ScriptAnswers().messageAnswers.push_back(outcome.answer);
    editor.ScriptAnswers().urlsOpen = true;

    EXPECT_EQ(update::CheckForUpdate(editor, ServerAt(server ? server->Port() : loopback::UnusedPort())),
              outcome.result);
    ASSERT_EQ(editor.Messages().size(), 1u);
    EXPECT_EQ(editor.Messages()[0].text, outcome.text);
    EXPECT_EQ(editor.Messages()[0].caption, outcome.caption);
    EXPECT_EQ(editor.Messages()[0].type, outcome.type);
    EXPECT_EQ(editor.UrlsOpened(),
              outcome.pageOpened ? std::vector<std::string>{kDownloadPage} : std::vector<std::string>{});
    if (!server) continue;
    const std::string request = server->LastRequest();
    EXPECT_EQ(request.rfind("GET /music/version/?file=kestrion HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("User-Agent: Kestrion\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("Accept: */*\r\n"), std::string::npos) << request;
  }
}

// An editor that cannot show its first message.
class FailingEditor : public HeadlessEditor {
 public:
  FailingEditor() : HeadlessEditor(nullptr, 1, 1) {}
  int ShowMessage(const char* text, const char* caption, int type) override {
    if (!failed_) {
      failed_ = true;
      throw std::bad_alloc();
    }
    return HeadlessEditor::ShowMessage(text, caption, type);
  }

 private:
  bool failed_ = false;
};

TEST(UpdateCheck, AFailureInsideTheCheckStillTellsTheUser) {
  LoopbackServer server(Answer("2303"));
  FailingEditor editor;
  EXPECT_EQ(update::CheckForUpdate(editor, ServerAt(server.Port())), update::kCheckFailed);
  ASSERT_EQ(editor.Messages().size(), 1u);
  EXPECT_EQ(editor.Messages()[0].text, kContactError);
  EXPECT_EQ(editor.Messages()[0].type, kErrorBox);
  EXPECT_TRUE(editor.UrlsOpened().empty());
}

}  // namespace
