// One plain HTTP/1.1 GET for the update check. It blocks the calling thread
// until the answer is in or a limit is reached, so it is never called with
// the plug-in mutex held.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

struct HttpRequest {
  std::string host;
  int port = 80;
  std::string objectPath;  // e.g. "news/?page=1", without the leading "/"
  std::string userAgent;
  // Limits of our own client. The Windows client keeps the system's own
  // time limits.
  int connectTimeoutMs = 5000;
  int requestTimeoutMs = 10000;  // the whole request, connecting included
  // A larger body is refused rather than collected: a server is not
  // allowed to exhaust the plug-in's memory.
  std::size_t maxBodyBytes = 64 * 1024;
};

// Sends the request with "Accept: */*" and no body. True with the answer's
// body (possibly empty) in `body`; false, with `body` empty, when the server
// cannot be reached, breaks a limit, or its answer cannot be read. Our own
// client also refuses answers whose status is not 2xx; the Windows client
// follows redirects and hands over whatever body the server sent.
bool HttpGet(const HttpRequest& request, std::string& body);

}  // namespace platform
