#include "age/chunk_workers.h"

#include <system_error>

#include "fs/signal_free_thread.h"

namespace qz {

namespace {

// Enough to keep up with the file system; more threads only wait on it.
constexpr unsigned kMostThreads = 4;

}  // namespace

ChunkWorkers::ChunkWorkers() {
  const unsigned cores = std::thread::hardware_concurrency();
  threads_ = cores < kMostThreads ? (cores > 0 ? cores : 1) : kMostThreads;
}

void ChunkWorkers::StartHelpers() {
  started_ = true;
  try {
    for (std::size_t i = 1; i < threads_; ++i) {
      helpers_.push_back(SignalFreeThread([this, i] { Help(i); }));
    }
  } catch (const std::system_error&) {
    // Fewer helpers, or none: the caller's thread does the rest.
  }
}

ChunkWorkers::~ChunkWorkers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

void ChunkWorkers::PartOf(std::size_t part, std::size_t* first, std::size_t* count) const {
  const std::size_t base = total_ / parts_;
  const std::size_t extra = total_ % parts_;
  *first = part * base + (part < extra ? part : extra);
  *count = base + (part < extra ? 1 : 0);
}

void ChunkWorkers::Help(std::size_t part) {
  unsigned seen = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stop_ || generation_ != seen; });
    if (stop_) return;
    seen = generation_;
    if (part >= parts_) continue;  // a batch too small to share
    std::size_t first = 0, count = 0;
    PartOf(part, &first, &count);
    const Job& job = *job_;
    lock.unlock();
    const bool ok = count == 0 || job(first, count);
    lock.lock();
    failed_ = failed_ || !ok;
    if (--running_ == 0) changed_.notify_all();
  }
}

bool ChunkWorkers::Run(std::size_t total, const Job& job) {
  // Small batches stay on the caller's thread: handing them over costs more. So small
  // files never start a helper.
  if (total < 2 * threads_) return job(0, total);
  if (!started_) StartHelpers();
  const std::size_t parts = helpers_.size() + 1;
  if (parts == 1) return job(0, total);
  std::size_t first = 0, count = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    job_ = &job;
    total_ = total;
    parts_ = parts;
    failed_ = false;
    running_ = parts - 1;
    ++generation_;
    PartOf(0, &first, &count);
  }
  changed_.notify_all();
  const bool ok = job(first, count);
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return running_ == 0; });
  job_ = nullptr;
  return ok && !failed_;
}

}  // namespace qz
