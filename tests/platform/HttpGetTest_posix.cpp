// Our own web client: how it frames an answer's body and which answers it
// refuses. (Windows uses the system's client.)
#include "platform/HttpGet.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/platform/LoopbackServer.h"

namespace {

using loopback::Answer;

platform::HttpRequest RequestTo(int port) {
  platform::HttpRequest request;
  request.host = "127.0.0.1";
  request.port = port;
  request.objectPath = "release";
  request.userAgent = "Tests";
  request.connectTimeoutMs = 1000;
  request.requestTimeoutMs = 2000;
  request.maxBodyBytes = 1000;
  return request;
}

struct Exchange {
  const char* what;
  std::string response;
  bool received;
  std::string body;
};

TEST(HttpGet, FramesTheBodyAndRefusesWhatIsNotAnAnswer) {
  const std::string tooLong(1001, '7');
  const Exchange exchanges[] = {
      {"the length cuts the body", "HTTP/1.1 200 OK\r\ncontent-length: 2\r\n\r\n2303", true, "23"},
      {"an interim answer first", "HTTP/1.1 100 Continue\r\n\r\n" + Answer("2303"), true, "2303"},
      {"chunks with extensions and trailers",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;x=y\r\n230\r\nA\r\n3aaaaaaaaa\r\n0\r\nX: 1\r\n\r\n",
       true, "2303aaaaaaaaa"},
      {"a success without content", "HTTP/1.0 204 No Content\r\nContent-Length: 0\r\n\r\n", true, ""},
      {"the largest body allowed", "HTTP/1.1 200 OK\r\n\r\n" + tooLong.substr(1), true, tooLong.substr(1)},
      {"not found", Answer("2400", "404 Not Found"), false, ""},
      {"a redirect", "HTTP/1.1 301 Moved Permanently\r\nLocation: /elsewhere\r\nContent-Length: 0\r\n\r\n", false, ""},
      {"a body shorter than its length", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n2303", false, ""},
      {"a body over the limit, up to the close", "HTTP/1.1 200 OK\r\n\r\n" + tooLong, false, ""},
      {"a length over the limit", "HTTP/1.1 200 OK\r\nContent-Length: 1001\r\n\r\n2303", false, ""},
      {"chunks over the limit", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3E9\r\n", false, ""},
      {"a broken chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n2303\r\n0\r\n\r\n", false,
       ""},
      {"a chunk without its line end", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n2303\r\n0\r\n\r\n",
       false, ""},
      {"another protocol", "ICY 200 OK\r\n\r\n2303", false, ""},
      {"a head that never ends", "HTTP/1.1 200 OK\r\nServer: x", false, ""},
  };
  for (const Exchange& exchange : exchanges) {
    SCOPED_TRACE(exchange.what);
    loopback::LoopbackServer server(exchange.response);
    std::string body = "stale";
    EXPECT_EQ(platform::HttpGet(RequestTo(server.Port()), body), exchange.received);
    EXPECT_EQ(body, exchange.body);
  }
}

TEST(HttpGet, MalformedRequestsAreNotSent) {
  loopback::LoopbackServer server(Answer("2303"));
  platform::HttpRequest request = RequestTo(server.Port());
  request.objectPath = "release HTTP/1.0\r\nX: y";
  std::string body;
  EXPECT_FALSE(platform::HttpGet(request, body));
  request = RequestTo(0);
  EXPECT_FALSE(platform::HttpGet(request, body));
  EXPECT_EQ(server.LastRequest(), "");
}

}  // namespace
