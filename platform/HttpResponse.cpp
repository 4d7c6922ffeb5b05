#include "platform/HttpResponse.h"

#include <cctype>
#include <limits>
#include <string>

namespace platform {

namespace {

constexpr std::size_t kMaxHeadBytes = 16 * 1024;  // all heads of one answer together

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

HttpResponseState Dechunk(const std::string& bytes, std::size_t at, bool closed, std::size_t maxBody,
                          std::string& body) {
  std::string collected;
  for (;;) {
    const std::size_t lineEnd = bytes.find("\r\n", at);
    if (lineEnd == std::string::npos) return closed ? HttpResponseState::kRefused : HttpResponseState::kIncomplete;
    std::size_t size = 0;
    std::size_t digit = at;
    // Checked before each digit as well as after, so that no size wraps
    // around, whatever the limit.
    for (; digit < lineEnd && std::isxdigit(static_cast<unsigned char>(bytes[digit])); ++digit) {
      const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(bytes[digit])));
      if (size > maxBody / 16) return HttpResponseState::kRefused;
      size = size * 16 + static_cast<std::size_t>(c <= '9' ? c - '0' : c - 'a' + 10);
      if (size > maxBody) return HttpResponseState::kRefused;
    }
    // Chunk extensions after the size mean nothing to us.
    if (digit == at || (digit < lineEnd && bytes[digit] != ';' && bytes[digit] != ' ' && bytes[digit] != '\t'))
      return HttpResponseState::kRefused;
    at = lineEnd + 2;
    if (size == 0) break;
    if (size > maxBody - collected.size()) return HttpResponseState::kRefused;
    const std::size_t left = bytes.size() - at;
    if (left < size || left - size < 2) return closed ? HttpResponseState::kRefused : HttpResponseState::kIncomplete;
    if (bytes.compare(at + size, 2, "\r\n") != 0) return HttpResponseState::kRefused;
    collected.append(bytes, at, size);
    at += size + 2;
  }
  // Trailer fields up to an empty line; a server that closes instead has
  // still sent the whole body.
  for (;;) {
    const std::size_t lineEnd = bytes.find("\r\n", at);
    if (lineEnd == std::string::npos && !closed) return HttpResponseState::kIncomplete;
    if (lineEnd == std::string::npos || lineEnd == at) break;
    at = lineEnd + 2;
  }
  body = std::move(collected);
  return HttpResponseState::kComplete;
}

HttpResponseState Parse(const std::string& bytes, bool closed, std::size_t maxBody, std::string& body) {
  std::size_t at = 0;
  Head head;
  // Interim 1xx answers may come before the real one.
  while (head.status < 200) {
    // The heads must end within their limit, not merely be found by the
    // time it is passed: else a head would pass or fail with the pieces the
    // network happened to cut it into.
    const std::size_t headEnd = bytes.find("\r\n\r\n", at);
    if (headEnd == std::string::npos ? bytes.size() >= kMaxHeadBytes : headEnd + 4 > kMaxHeadBytes)
      return HttpResponseState::kRefused;
    if (headEnd == std::string::npos) return closed ? HttpResponseState::kRefused : HttpResponseState::kIncomplete;
    head = Head{};
    if (!ParseHead(bytes.substr(at, headEnd - at), head) || head.status < 100) return HttpResponseState::kRefused;
    at = headEnd + 4;
  }
  // The body of a failure is the server's error page, not the answer asked for.
  if (head.status > 299) return HttpResponseState::kRefused;
  if (head.chunked) return Dechunk(bytes, at, closed, maxBody, body);
  const std::size_t received = bytes.size() - at;
  if (head.contentLength >= 0) {
    const auto length = static_cast<std::size_t>(head.contentLength);
    if (length > maxBody) return HttpResponseState::kRefused;
    if (received < length) return closed ? HttpResponseState::kRefused : HttpResponseState::kIncomplete;
    body = bytes.substr(at, length);
    return HttpResponseState::kComplete;
  }
  if (received > maxBody) return HttpResponseState::kRefused;
  if (!closed) return HttpResponseState::kIncomplete;
  body = bytes.substr(at);
  return HttpResponseState::kComplete;
}

}  // namespace

std::size_t MaxHttpResponseBytes(std::size_t maxBodyBytes) {
  constexpr std::size_t kLargest = std::numeric_limits<std::size_t>::max();
  return maxBodyBytes > (kLargest - kMaxHeadBytes) / 2 ? kLargest : kMaxHeadBytes + 2 * maxBodyBytes;
}

HttpResponseState ParseHttpResponse(const std::string& received, bool closed, std::size_t maxBodyBytes,
                                    std::string& body) {
  // Only the first bytes up to the limit are read: an answer that needs
  // more is refused, however it goes on, so the decision cannot depend on
  // how far past the limit the last piece reached.
  const std::size_t limit = MaxHttpResponseBytes(maxBodyBytes);
  if (received.size() <= limit) return Parse(received, closed, maxBodyBytes, body);
  const HttpResponseState state = Parse(received.substr(0, limit), false, maxBodyBytes, body);
  return state == HttpResponseState::kIncomplete ? HttpResponseState::kRefused : state;
}

}  // namespace platform
