#include "closed_port.h"

namespace qz::e2e {

ClosedPort::~ClosedPort() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  if (wsa_started_) WSACleanup();
}

bool ClosedPort::Hold(unsigned short port, std::string* error) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    *error = "WSAStartup failed";
    return false;
  }
  wsa_started_ = true;
  socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (socket_ == INVALID_SOCKET ||
      bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    *error = "cannot hold 127.0.0.1:" + std::to_string(port) + " (error " +
             std::to_string(WSAGetLastError()) + "); is another test run using the port?";
    return false;
  }
  return true;
}

}  // namespace qz::e2e
