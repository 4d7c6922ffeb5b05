#include "platform/HttpGet.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>

#include "platform/HttpResponse.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kPieceBytes = 4096;

// A peer that goes away must not end the host process with SIGPIPE: Linux
// has a send flag for it, the BSD systems a socket option.
#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;
#endif

void KeepSignalsAway(int socketFd) {
#ifdef SO_NOSIGPIPE
  const int on = 1;
  setsockopt(socketFd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#else
  (void)socketFd;
#endif
}

struct Socket {
  explicit Socket(int fd) : fd(fd) {}
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket() {
    if (fd >= 0) close(fd);
  }
  const int fd;
};

// Waits until the socket is ready for `events`; false when the deadline
// comes first. Errors and hang-ups count as ready: the call that follows
// reports them.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd ready{fd, events, 0};
    const int result = poll(&ready, 1, static_cast<int>(left));  // at most the request's limit
    if (result > 0) return true;
    if (result == 0 || errno != EINTR) return false;
  }
}

// The first of the host's addresses that accepts a connection in time.
int ConnectWithin(const HttpRequest& request, Clock::time_point deadline) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* addresses = nullptr;
  if (getaddrinfo(request.host.c_str(), std::to_string(request.port).c_str(), &hints, &addresses) != 0) return -1;
  int connected = -1;
  for (const addrinfo* address = addresses; address && connected < 0; address = address->ai_next) {
    const int fd = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
    if (fd < 0) continue;
    // The host may start programs; they are not to inherit the connection.
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    KeepSignalsAway(fd);
    int error = 0;
    socklen_t length = sizeof error;
    if (connect(fd, address->ai_addr, address->ai_addrlen) == 0 ||
        (errno == EINPROGRESS && WaitFor(fd, POLLOUT, deadline) &&
         getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0))
      connected = fd;
    else
      close(fd);
  }
  freeaddrinfo(addresses);
  return connected;
}

bool SendAll(int fd, const std::string& text, Clock::time_point deadline) {
  std::size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t wrote = send(fd, text.data() + sent, text.size() - sent, kSendFlags);
    if (wrote > 0)
      sent += static_cast<std::size_t>(wrote);
    else if (wrote == 0 ||
             (errno != EINTR && !((errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(fd, POLLOUT, deadline))))
      return false;
  }
  return true;
}

// What the server has sent so far: at most one piece more than
// MaxHttpResponseBytes, as the answer reader has decided by then.
struct Incoming {
  int fd;
  Clock::time_point deadline;
  std::string bytes;
  bool closed = false;

  // Adds the next piece; false at the end of the answer (`closed`), on an
  // error or past the deadline.
  bool ReadMore() {
    char piece[kPieceBytes];
    while (WaitFor(fd, POLLIN, deadline)) {
      const ssize_t got = recv(fd, piece, sizeof piece, 0);
      if (got > 0) {
        bytes.append(piece, static_cast<std::size_t>(got));
        return true;
      }
      if (got == 0) {
        closed = true;
        return false;
      }
      if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    }
    return false;
  }
};

// The fields go into the request as they are: a blank or a line break in
// them would change what is asked.
bool FitsRequest(const std::string& text, bool blanksAllowed) {
  return std::none_of(text.begin(), text.end(), [blanksAllowed](char c) {
    const auto code = static_cast<unsigned char>(c);
    return code < ' ' || code == 0x7F || (code == ' ' && !blanksAllowed);
  });
}

std::string RequestText(const HttpRequest& request) {
  std::string host = request.host.find(':') == std::string::npos ? request.host : "[" + request.host + "]";
  if (request.port != 80) host += ":" + std::to_string(request.port);
  const char* slash = request.objectPath.compare(0, 1, "/") == 0 ? "" : "/";
  return "GET " + (slash + request.objectPath) + " HTTP/1.1\r\nHost: " + host + "\r\nUser-Agent: " + request.userAgent +
         "\r\nAccept: */*\r\nConnection: close\r\n\r\n";
}

}  // namespace

bool HttpGet(const HttpRequest& request, std::string& body) {
  body.clear();
  if (request.host.empty() || request.port < 1 || request.port > 65535 || !FitsRequest(request.host, false) ||
      !FitsRequest(request.objectPath, false) || !FitsRequest(request.userAgent, true))
    return false;
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = start + std::chrono::milliseconds(request.requestTimeoutMs);
  const Clock::time_point connectDeadline =
      std::min(deadline, start + std::chrono::milliseconds(request.connectTimeoutMs));

  Socket connection{ConnectWithin(request, connectDeadline)};
  if (connection.fd < 0 || !SendAll(connection.fd, RequestText(request), deadline)) return false;
  Incoming incoming{connection.fd, deadline, {}, false};
  for (;;) {
    if (!incoming.ReadMore() && !incoming.closed) return false;
    switch (ParseHttpResponse(incoming.bytes, incoming.closed, request.maxBodyBytes, body)) {
      case HttpResponseState::kComplete: return true;
      case HttpResponseState::kRefused: body.clear(); return false;
      case HttpResponseState::kIncomplete:
        if (incoming.closed) return false;
        break;
    }
  }
}

}  // namespace platform
