// The online update check of the options menu: asks the maker's web server
// for the number of the newest release, tells the user whether theirs is
// current, and offers the download page when it is not. The plug-in never
// asks on its own.
#pragma once

#include <string>

class EditorView;

namespace update {

// Where the newest release number is asked for, and what the user is shown.
struct UpdateServer {
  std::string host;
  int port = 80;
  std::string domain;        // named in the error messages
  std::string webAddress;    // named in the offer of a new release
  std::string downloadPage;  // opened when the user takes the offer
  // The editor waits for the answer, so it must come soon or not at all.
  int connectTimeoutMs = 5000;
  int requestTimeoutMs = 10000;
};

// The results of a check. Every one of them has been shown to the user.
constexpr int kCheckDone = 0;           // up to date, or the offer was made
constexpr int kNothingReceived = -1;    // no answer, or an empty one
constexpr int kCheckFailed = -2;        // the check itself went wrong
constexpr int kNotAReleaseNumber = -3;  // a web page came back instead

// The maker's server as the build was configured.
const UpdateServer& MakerServer();
// The maker's web site as the options menu names it after "Visit ", and
// the page that entry opens.
const char* MakerDomain();
const char* MakerWebPage();

// Editor thread only, without the plug-in mutex: waits for the network and
// for the user's answers.
int CheckForUpdate(EditorView& editor);
int CheckForUpdate(EditorView& editor, const UpdateServer& server);

}  // namespace update
