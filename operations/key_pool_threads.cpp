#include "key_pool_threads.h"

namespace qzops {

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
