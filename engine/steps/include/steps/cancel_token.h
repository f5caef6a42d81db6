// A request to stop, which the caller owns and sets (a Cancel button, an interrupt
// handler) and the engine reads between blocks.
#pragma once

#include <atomic>

namespace qz {

class CancelToken {
 public:
  CancelToken() = default;
  CancelToken(const CancelToken&) = delete;
  CancelToken& operator=(const CancelToken&) = delete;

  // Safe in a signal handler: the flag is lock-free.
  void Request() noexcept { requested_.store(true, std::memory_order_relaxed); }
  void Reset() noexcept { requested_.store(false, std::memory_order_relaxed); }
  bool Requested() const noexcept { return requested_.load(std::memory_order_relaxed); }

 private:
  static_assert(std::atomic<bool>::is_always_lock_free, "set from signal handlers");
  std::atomic<bool> requested_{false};
};

// A missing token never asks to stop.
inline bool StopRequested(const CancelToken* token) { return token && token->Requested(); }

}  // namespace qz
