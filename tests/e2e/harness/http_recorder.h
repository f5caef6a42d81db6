// A loopback HTTP server in a thread that records what the program asks for and
// answers every request with a tiny page.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "shared.h"

namespace qz::e2e {

struct HttpRequest {
  std::string request_line;  // e.g. "GET / HTTP/1.1"
  std::string user_agent;    // value of the User-Agent header, empty when absent
};

class HttpRecorder {
 public:
  HttpRecorder() = default;
  ~HttpRecorder();
  HttpRecorder(const HttpRecorder&) = delete;
  HttpRecorder& operator=(const HttpRecorder&) = delete;

  // Listens on 127.0.0.1:`port`; false with a reason when the port cannot be taken.
  bool Start(unsigned short port, std::string* error);
  // Stops listening after taking any connection that is already waiting.
  void Stop();

  // Connections accepted so far, including ones that sent no complete request.
  int connections() const { return connections_.load(); }
  std::vector<HttpRequest> requests() const;
  // Waits until at least `count` requests were recorded.
  bool WaitForRequests(size_t count, Millis timeout) const;

 private:
  void Serve();
  void HandleConnection(SOCKET client);

  SOCKET listener_ = INVALID_SOCKET;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<HttpRequest> requests_;
  bool wsa_started_ = false;
};

}  // namespace qz::e2e
