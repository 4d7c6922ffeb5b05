#include "tests/platform/LoopbackServer.h"

#include <stdexcept>

namespace loopback {

LoopbackServer::LoopbackServer(std::string response, Manner manner) : response_(std::move(response)), manner_(manner) {
  listener_ = ListenOnLoopback(port_);
  if (listener_ == kNoSocket) throw std::runtime_error("cannot listen on the loopback interface");
  thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
  // A connection of our own wakes the thread out of its wait for one.
  stopping_ = true;
  CloseSocket(ConnectOnLoopback(port_));
  thread_.join();
  for (SocketHandle socket : unanswered_) CloseSocket(socket);
  CloseSocket(listener_);
}

std::string LoopbackServer::LastRequest() const {
  std::lock_guard<std::mutex> hold(requestLock_);
  return lastRequest_;
}

void LoopbackServer::Serve() {
  for (;;) {
    const SocketHandle client = AcceptConnection(listener_);
    if (client == kNoSocket || stopping_) {
      CloseSocket(client);
      return;
    }
    std::string request;
    char piece[1024];
    int got = 0;
    while (request.find("\r\n\r\n") == std::string::npos && (got = ReceiveSome(client, piece, sizeof piece)) > 0)
      request.append(piece, static_cast<std::size_t>(got));
    {
      std::lock_guard<std::mutex> hold(requestLock_);
      lastRequest_ = request;
    }
    if (manner_ == kSilent) {
      unanswered_.push_back(client);
    } else {
      SendAll(client, response_);
      CloseSocket(client);
    }
  }
}

std::string Answer(const std::string& body, const char* status) {
  return std::string("HTTP/1.1 ") + status + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

int UnusedPort() {
  int port = 0;
  CloseSocket(ListenOnLoopback(port));
  return port;
}

}  // namespace loopback
