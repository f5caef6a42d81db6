// What both key pools share: the threads that make keys ahead, the lock and the signal
// they wait on, and how a pool ends.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "crypto/secret.h"
#include "steps/cancel_token.h"

namespace qzops {

class KeyPoolThreads {
 public:
  std::size_t threads() const;
  std::size_t taken() const;
  // Whether a thread of the pool still runs (Stop may have to wait for it).
  bool Running() const;

 protected:
  KeyPoolThreads() = default;
  ~KeyPoolThreads() = default;
  KeyPoolThreads(const KeyPoolThreads&) = delete;
  KeyPoolThreads& operator=(const KeyPoolThreads&) = delete;

  // Keeps a copy of password and starts up to count threads running work, the lock held;
  // false when none started (or no memory for the copy).
  bool Launch(const qz::Secret& password, const qz::CancelToken* cancel, std::size_t count,
              const std::function<void()>& work);
  // Marks the pool stopped and waits for its threads: a derivation under way ends first,
  // since scrypt cannot be stopped half-way. Called without the lock.
  void JoinThreads();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread> threads_;
  std::size_t running_ = 0;
  std::size_t taken_ = 0;
  bool stopped_ = false;
  qz::Secret password_;  // the pool's own copy: the caller's is wiped when its batch ends
  const qz::CancelToken* cancel_ = nullptr;
};

}  // namespace qzops
