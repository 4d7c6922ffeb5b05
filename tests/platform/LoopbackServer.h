// A web server of the tests on 127.0.0.1, on a port the system picks. It
// keeps each request's head and answers it with one fixed response, sent as
// given before the connection is closed; a silent server keeps the
// connection open without a word until it stops.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace loopback {

using SocketHandle = std::intptr_t;
constexpr SocketHandle kNoSocket = -1;

class LoopbackServer {
 public:
  enum Manner { kAnswers, kSilent };

  explicit LoopbackServer(std::string response, Manner manner = kAnswers);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int Port() const { return port_; }
  // The head of the last request received, "" before the first.
  std::string LastRequest() const;

 private:
  void Serve();

  const std::string response_;
  const Manner manner_;
  int port_ = 0;
  SocketHandle listener_ = kNoSocket;
  std::vector<SocketHandle> unanswered_;
  std::atomic<bool> stopping_{false};
  mutable std::mutex requestLock_;
  std::string lastRequest_;
  std::thread thread_;
};

// "HTTP/1.1 <status>" with `body` and its Content-Length.
std::string Answer(const std::string& body, const char* status = "200 OK");

// A loopback port that nothing listens on.
int UnusedPort();

// What each system's sockets do for the server.
SocketHandle ListenOnLoopback(int& port);
SocketHandle AcceptConnection(SocketHandle listener);
SocketHandle ConnectOnLoopback(int port);
int ReceiveSome(SocketHandle socket, char* buffer, int size);  // 0 at the end, < 0 on an error
void SendAll(SocketHandle socket, const std::string& bytes);
void CloseSocket(SocketHandle socket);

}  // namespace loopback
