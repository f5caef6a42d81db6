#include "key_pool_threads.h"

#include <new>
#include <system_error>

#include "fs/signal_free_thread.h"

namespace qzops {

bool KeyPoolThreads::Launch(const qz::Secret& password, const qz::CancelToken* cancel, std::size_t count,
                            const std::function<void()>& work) {
  try {
    password_ = qz::Secret(password.data(), password.size());
  } catch (const std::bad_alloc&) {
    return false;
  }
  cancel_ = cancel;
  for (std::size_t i = 0; i < count; ++i) {
    try {
      threads_.push_back(qz::SignalFreeThread(work));
      ++running_;
    } catch (const std::system_error&) {
      break;
    }
  }
  return running_ > 0;
}

void KeyPoolThreads::JoinThreads() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
  threads_.clear();
}

std::size_t KeyPoolThreads::threads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return threads_.size();
}

std::size_t KeyPoolThreads::taken() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return taken_;
}

bool KeyPoolThreads::Running() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_ > 0;
}

}  // namespace qzops
