// Holds a loopback port bound but not listening, so that connections to it are refused
// and no other program can start listening on it during a test.
#pragma once

#include <winsock2.h>

#include <string>

namespace qz::e2e {

class ClosedPort {
 public:
  ClosedPort() = default;
  ~ClosedPort();
  ClosedPort(const ClosedPort&) = delete;
  ClosedPort& operator=(const ClosedPort&) = delete;

  // False with a reason when the port is in use.
  bool Hold(unsigned short port, std::string* error);

 private:
  SOCKET socket_ = INVALID_SOCKET;
  bool wsa_started_ = false;
};

}  // namespace qz::e2e
