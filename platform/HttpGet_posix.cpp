#include "platform/HttpGet.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <string>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxHeadBytes = 16 * 1024;  // all heads of one answer together
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

// What the server has sent so far.
struct Incoming {
  int fd;
  Clock::time_point deadline;
  std::size_t limit;
  std::string bytes;
  bool closed = false;

  // Adds the next piece; false at the end of the answer (`closed`), on an
  // error, past the deadline or past the limit.
  bool ReadMore() {
    if (bytes.size() >= limit) return false;
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

enum class Parsed { kIncomplete, kComplete, kRefused };

bool SameNameIgnoringCase(const std::string& name, const char* wanted) {
  std::size_t i = 0;
  for (; i < name.size() && wanted[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(name[i])) != wanted[i]) return false;
  return i == name.size() && !wanted[i];
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

struct Head {
  int status = 0;
  bool chunked = false;
  long long contentLength = -1;  // -1: the body runs until the server closes
};

// The status line and the two headers that frame the body.
bool ParseHead(const std::string& text, Head& head) {
  if (text.size() < 12 || text.compare(0, 7, "HTTP/1.") != 0 || text[8] != ' ') return false;
  for (int i = 9; i < 12; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    head.status = head.status * 10 + (text[i] - '0');
  }
  if (text.size() > 12 && text[12] != ' ' && text[12] != '\r') return false;
  for (std::size_t line = text.find("\r\n"); line != std::string::npos;) {
    const std::size_t start = line + 2;
    line = text.find("\r\n", start);
    const std::string field = text.substr(start, line == std::string::npos ? std::string::npos : line - start);
    const std::size_t colon = field.find(':');
    if (colon == std::string::npos) return false;
    const std::string name = field.substr(0, colon);
    std::string value = Trimmed(field.substr(colon + 1));
    if (SameNameIgnoringCase(name, "transfer-encoding")) {
      for (char& c : value) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      head.chunked = value.size() >= 7 && value.compare(value.size() - 7, 7, "chunked") == 0;
    } else if (SameNameIgnoringCase(name, "content-length")) {
      if (value.empty() || value.size() > 18 || value.find_first_not_of("0123456789") != std::string::npos)
        return false;
      head.contentLength = std::stoll(value);
    }
  }
  return true;
}

Parsed Dechunk(const std::string& bytes, std::size_t at, bool closed, std::size_t maxBody, std::string& body) {
  std::string collected;
  for (;;) {
    const std::size_t lineEnd = bytes.find("\r\n", at);
    if (lineEnd == std::string::npos) return closed ? Parsed::kRefused : Parsed::kIncomplete;
    std::size_t size = 0;
    std::size_t digit = at;
    for (; digit < lineEnd && std::isxdigit(static_cast<unsigned char>(bytes[digit])); ++digit) {
      const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(bytes[digit])));
      size = size * 16 + static_cast<std::size_t>(c <= '9' ? c - '0' : c - 'a' + 10);
      if (size > maxBody) return Parsed::kRefused;
    }
    // Chunk extensions after the size mean nothing to us.
    if (digit == at || (digit < lineEnd && bytes[digit] != ';' && bytes[digit] != ' ' && bytes[digit] != '\t'))
      return Parsed::kRefused;
    at = lineEnd + 2;
    if (size == 0) break;
    if (collected.size() + size > maxBody) return Parsed::kRefused;
    if (bytes.size() < at + size + 2) return closed ? Parsed::kRefused : Parsed::kIncomplete;
    if (bytes.compare(at + size, 2, "\r\n") != 0) return Parsed::kRefused;
    collected.append(bytes, at, size);
    at += size + 2;
  }
  // Trailer fields up to an empty line; a server that closes instead has
  // still sent the whole body.
  for (;;) {
    const std::size_t lineEnd = bytes.find("\r\n", at);
    if (lineEnd == std::string::npos && !closed) return Parsed::kIncomplete;
    if (lineEnd == std::string::npos || lineEnd == at) break;
    at = lineEnd + 2;
  }
  body = std::move(collected);
  return Parsed::kComplete;
}

// Everything the server has sent so far, `closed` once it has finished.
Parsed ParseResponse(const std::string& bytes, bool closed, std::size_t maxBody, std::string& body) {
  std::size_t at = 0;
  Head head;
  // Interim 1xx answers may come before the real one.
  while (head.status < 200) {
    const std::size_t headEnd = bytes.find("\r\n\r\n", at);
    if (headEnd == std::string::npos)
      return closed || bytes.size() > kMaxHeadBytes ? Parsed::kRefused : Parsed::kIncomplete;
    head = Head{};
    if (!ParseHead(bytes.substr(at, headEnd - at), head) || head.status < 100) return Parsed::kRefused;
    at = headEnd + 4;
  }
  // The body of a failure is the server's error page, not the answer asked for.
  if (head.status > 299) return Parsed::kRefused;
  if (head.chunked) return Dechunk(bytes, at, closed, maxBody, body);
  const std::size_t received = bytes.size() - at;
  if (head.contentLength >= 0) {
    const auto length = static_cast<std::size_t>(head.contentLength);
    if (length > maxBody) return Parsed::kRefused;
    if (received < length) return closed ? Parsed::kRefused : Parsed::kIncomplete;
    body = bytes.substr(at, length);
    return Parsed::kComplete;
  }
  if (received > maxBody) return Parsed::kRefused;
  if (!closed) return Parsed::kIncomplete;
  body = bytes.substr(at);
  return Parsed::kComplete;
}

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
  // Room for the heads and for chunk framing around the largest body.
  Incoming incoming{connection.fd, deadline, 2 * request.maxBodyBytes + kMaxHeadBytes, {}, false};
  for (;;) {
    if (!incoming.ReadMore() && !incoming.closed) return false;
    switch (ParseResponse(incoming.bytes, incoming.closed, request.maxBodyBytes, body)) {
      case Parsed::kComplete:
        return true;
      case Parsed::kRefused:
        body.clear();
        return false;
      case Parsed::kIncomplete:
        if (incoming.closed) return false;
        break;
    }
  }
}

}  // namespace platform
