#include "http_recorder.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>

namespace qz::e2e {

namespace {

constexpr char kResponse[] =
    "HTTP/1.1 200 OK\r\n"
    "Content-Type: text/html\r\n"
    "Content-Length: 34\r\n"
    "Connection: close\r\n"
    "\r\n"
    "<html><body>recorded</body></html>";

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

HttpRequest Parse(const std::string& head) {
  HttpRequest request;
  size_t line_end = head.find("\r\n");
  request.request_line = head.substr(0, line_end);
  size_t pos = line_end == std::string::npos ? head.size() : line_end + 2;
  while (pos < head.size()) {
    size_t end = head.find("\r\n", pos);
    if (end == std::string::npos) end = head.size();
    std::string line = head.substr(pos, end - pos);
    size_t colon = line.find(':');
    if (colon != std::string::npos && Lower(line.substr(0, colon)) == "user-agent") {
      size_t value = line.find_first_not_of(' ', colon + 1);
      request.user_agent = value == std::string::npos ? "" : line.substr(value);
    }
    pos = end + 2;
  }
  return request;
}

// Waits for `socket` to become readable; false on timeout or error.
bool Readable(SOCKET socket, long milliseconds) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval tv{milliseconds / 1000, (milliseconds % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &tv) == 1;
}

}  // namespace

HttpRecorder::~HttpRecorder() {
  Stop();
  if (wsa_started_) WSACleanup();
}

bool HttpRecorder::Start(unsigned short port, std::string* error) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    *error = "WSAStartup failed";
    return false;
  }
  wsa_started_ = true;
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == INVALID_SOCKET) {
    *error = "socket() failed: " + std::to_string(WSAGetLastError());
    return false;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 8) != 0) {
    *error = "cannot listen on 127.0.0.1:" + std::to_string(port) + " (error " +
             std::to_string(WSAGetLastError()) + "); is another test run using the port?";
    closesocket(listener_);
    listener_ = INVALID_SOCKET;
    return false;
  }
  stop_ = false;
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void HttpRecorder::Stop() {
  if (!thread_.joinable()) return;
  stop_ = true;
  thread_.join();
  closesocket(listener_);
  listener_ = INVALID_SOCKET;
}

std::vector<HttpRequest> HttpRecorder::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

bool HttpRecorder::WaitForRequests(size_t count, Millis timeout) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

void HttpRecorder::Serve() {
  for (;;) {
    // After a stop, one last look takes a connection that is already queued.
    const bool last = stop_.load();
    if (Readable(listener_, last ? 0 : 50)) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client != INVALID_SOCKET) {
        ++connections_;
        HandleConnection(client);
        closesocket(client);
        continue;
      }
    }
    if (last) return;
  }
}

void HttpRecorder::HandleConnection(SOCKET client) {
  std::string head;
  char buffer[1024];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384) {
    if (!Readable(client, 5000)) return;
    int n = recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    head.append(buffer, static_cast<size_t>(n));
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(Parse(head.substr(0, head.find("\r\n\r\n"))));
  }
  changed_.notify_all();
  send(client, kResponse, static_cast<int>(sizeof kResponse - 1), 0);
  shutdown(client, SD_SEND);
}

}  // namespace qz::e2e
