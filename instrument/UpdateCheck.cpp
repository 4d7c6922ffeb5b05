#include "instrument/UpdateCheck.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/HttpGet.h"
#include "plugin/EditorView.h"
#include "plugin/Text.h"
#include "plugin/Version.h"

namespace update {

namespace {

constexpr const char* kProductName = "Kestrion";
constexpr const char* kReleaseNumberPath = "music/version/?file=kestrion";
constexpr const char* kTitle = "Check Online for Update";
// This release, as compared with the server's number and as shown.
constexpr int kThisRelease = version::kRelease;
constexpr const char* kThisReleaseText = version::kText;

constexpr int kErrorMessage = kMessageIconError | kMessageOk;

// Built without allocating: it also reports that building a text failed.
void ShowError(EditorView& editor, const char* lead, const UpdateServer& server) {
  char text[kPathLength];
  std::snprintf(text, sizeof text, "%s %s.", lead, server.domain.c_str());
  editor.ShowMessage(text, kTitle, kErrorMessage);
}

void ShowContactError(EditorView& editor, const UpdateServer& server) {
  ShowError(editor, "An error occurred while contacting", server);
}

// Leading blanks, a sign, then digits up to the first other character;
// anything else reads as 0.
int ReleaseNumber(const std::string& body) {
  const long value = std::strtol(body.c_str(), nullptr, 10);
  return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

// Major and minor are one digit each and the patch two, so 2303 is 2.3.3
// and 2312 is 2.3.12. Whatever follows the digits is kept as it came.
std::string ReleaseText(const std::string& body) {
  const std::string patch = body.substr(body[2] == '0' ? 3 : 2);
  return body.substr(0, 1) + "." + body.substr(1, 1) + "." + patch;
}

int RunCheck(EditorView& editor, const UpdateServer& server) {
  platform::HttpRequest request;
  request.host = server.host;
  request.port = server.port;
  request.objectPath = kReleaseNumberPath;
  request.userAgent = kProductName;
  request.connectTimeoutMs = server.connectTimeoutMs;
  request.requestTimeoutMs = server.requestTimeoutMs;
  std::string body;
  if (!platform::HttpGet(request, body) || body.empty()) {
    ShowContactError(editor, server);
    return kNothingReceived;
  }
  if (body.find('<') != std::string::npos) {
    ShowError(editor, "Invalid call to", server);
    return kNotAReleaseNumber;
  }
  if (ReleaseNumber(body) <= kThisRelease) {
    editor.ShowMessage("Your version is up to date.", kTitle, kMessageIconInformation | kMessageOk);
    return kCheckDone;
  }

  const std::string title = std::string("New Version of ") + kProductName + " Detected";
  const std::string text = std::string("A new version of ") + kProductName + " is available.\n\n" +
                           "\tYour version: \t" + kThisReleaseText + "\n" + "\tNew version: \t" + ReleaseText(body) +
                           "\n" + "\nDo you want to go to " + server.webAddress + " to get the new version?";
  if (editor.ShowMessage(text.c_str(), title.c_str(), kMessageYesNo) != kAnswerNo)
    editor.OpenWebPage(server.downloadPage.c_str(), title.c_str(), nullptr, nullptr);
  return kCheckDone;
}

}  // namespace

const UpdateServer& MakerServer() {
  static const UpdateServer server{KESTRION_MAKER_HOST, 80, KESTRION_MAKER_DOMAIN, KESTRION_MAKER_WEB_PAGE,
                                   KESTRION_MAKER_DOWNLOAD_PAGE};
  return server;
}

const char* MakerDomain() { return KESTRION_MAKER_DOMAIN; }
const char* MakerWebPage() { return KESTRION_MAKER_WEB_PAGE; }

int CheckForUpdate(EditorView& editor) { return CheckForUpdate(editor, MakerServer()); }

int CheckForUpdate(EditorView& editor, const UpdateServer& server) {
  try {
    return RunCheck(editor, server);
  } catch (...) {
    // Running out of memory, or an editor that failed to show a message: the
    // user still learns that the check did not complete.
    try {
      ShowContactError(editor, server);
    } catch (...) {
    }
    return kCheckFailed;
  }
}

}  // namespace update
