#include <winsock2.h>

#include "tests/platform/LoopbackServer.h"

namespace loopback {

namespace {

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

SOCKET AsSocket(SocketHandle socket) { return static_cast<SOCKET>(socket); }
SocketHandle AsHandle(SOCKET socket) {
  return socket == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(socket);
}

}  // namespace

SocketHandle ListenOnLoopback(int& port) {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  const SOCKET listener = started ? socket(AF_INET, SOCK_STREAM, IPPROTO_TCP) : INVALID_SOCKET;
  sockaddr_in address = LoopbackAddress(0);
  int length = sizeof address;
  if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(listener, 8) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    CloseSocket(AsHandle(listener));
    return kNoSocket;
  }
  port = ntohs(address.sin_port);
  return AsHandle(listener);
}

SocketHandle AcceptConnection(SocketHandle listener) { return AsHandle(accept(AsSocket(listener), nullptr, nullptr)); }

SocketHandle ConnectOnLoopback(int port) {
  const SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  const sockaddr_in address = LoopbackAddress(port);
  if (client != INVALID_SOCKET && connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
    return AsHandle(client);
  CloseSocket(AsHandle(client));
  return kNoSocket;
}

int ReceiveSome(SocketHandle socket, char* buffer, int size) { return recv(AsSocket(socket), buffer, size, 0); }

void SendAll(SocketHandle socket, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const int wrote = send(AsSocket(socket), bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (wrote <= 0) return;
    sent += static_cast<std::size_t>(wrote);
  }
}

void CloseSocket(SocketHandle socket) {
  if (socket != kNoSocket) closesocket(AsSocket(socket));
}

}  // namespace loopback
