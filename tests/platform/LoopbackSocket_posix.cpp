#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/platform/LoopbackServer.h"

namespace loopback {

namespace {

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

SocketHandle ListenOnLoopback(int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = LoopbackAddress(0);
  socklen_t length = sizeof address;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    CloseSocket(fd);
    return kNoSocket;
  }
  port = ntohs(address.sin_port);
  return fd;
}

SocketHandle AcceptConnection(SocketHandle listener) {
  const int fd = accept(static_cast<int>(listener), nullptr, nullptr);
  return fd < 0 ? kNoSocket : fd;
}

SocketHandle ConnectOnLoopback(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = LoopbackAddress(port);
  if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
  CloseSocket(fd);
  return kNoSocket;
}

int ReceiveSome(SocketHandle socket, char* buffer, int size) {
  return static_cast<int>(recv(static_cast<int>(socket), buffer, static_cast<std::size_t>(size), 0));
}

void SendAll(SocketHandle socket, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t wrote = send(static_cast<int>(socket), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (wrote <= 0) return;
    sent += static_cast<std::size_t>(wrote);
  }
}

void CloseSocket(SocketHandle socket) {
  if (socket != kNoSocket) close(static_cast<int>(socket));
}

}  // namespace loopback
