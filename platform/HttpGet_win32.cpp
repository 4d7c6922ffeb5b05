#include "platform/HttpGet.h"

#include <windows.h>
#include <wininet.h>

namespace platform {

namespace {

constexpr DWORD kPieceBytes = 1024;

// The three handles of one request, closed request first, whether or not
// each was opened.
struct InternetHandles {
  HINTERNET internet = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  ~InternetHandles() {
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
  }
};

}  // namespace

bool HttpGet(const HttpRequest& request, std::string& body) {
  body.clear();
  if (request.host.empty() || request.port < 1 || request.port > 65535) return false;
  InternetHandles handles;
  handles.internet = InternetOpenA(request.userAgent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (!handles.internet) return false;
  handles.connection =
      InternetConnectA(handles.internet, request.host.c_str(), static_cast<INTERNET_PORT>(request.port), nullptr,
                       nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  if (!handles.connection) return false;
  const char* acceptTypes[] = {"*/*", nullptr};
  handles.request =
      HttpOpenRequestA(handles.connection, "GET", request.objectPath.c_str(), nullptr, nullptr, acceptTypes, 0, 0);
  if (!handles.request || !HttpSendRequestA(handles.request, nullptr, 0, nullptr, 0)) return false;

  char piece[kPieceBytes];
  DWORD got = 0;
  while (InternetReadFile(handles.request, piece, kPieceBytes, &got) && got > 0) {
    if (body.size() + got > request.maxBodyBytes) {
      body.clear();
      return false;
    }
    body.append(piece, got);
  }
  return true;
}

}  // namespace platform
