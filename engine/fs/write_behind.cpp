#include "fs/write_behind.h"

#include <system_error>

#include "fs/signal_free_thread.h"

namespace qz {

WriteBehind::WriteBehind(TempOutput& out) : out_(out) {
  try {
    thread_ = SignalFreeThread([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread to be had: Start writes at once.
  }
}

WriteBehind::~WriteBehind() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void WriteBehind::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return busy_ || stop_; });
    if (!busy_) return;  // stopping, nothing in flight
    const std::uint8_t* data = data_;
    const std::size_t len = len_;
    lock.unlock();
    const bool written = out_.Write(data, len);
    lock.lock();
    failed_ = failed_ || !written;
    busy_ = false;
    changed_.notify_all();
  }
}

bool WriteBehind::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !busy_; });
  return !failed_;
}

bool WriteBehind::Start(const std::uint8_t* data, std::size_t len) {
  if (!thread_.joinable()) {
    failed_ = failed_ || !out_.Write(data, len);
    return !failed_;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !busy_; });
  if (failed_) return false;
  data_ = data;
  len_ = len;
  busy_ = true;
  changed_.notify_all();
  return true;
}

}  // namespace qz
