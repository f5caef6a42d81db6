// Cipher work on the chunks of a batch, spread over the caller's thread and a few
// helpers that wait between batches. Without helpers the caller does it all.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qz {

class ChunkWorkers {
 public:
  ChunkWorkers();
  ~ChunkWorkers();
  ChunkWorkers(const ChunkWorkers&) = delete;
  ChunkWorkers& operator=(const ChunkWorkers&) = delete;

  // job(first, count) for disjoint runs of chunks covering [0, total), on several
  // threads at once; true when every call returned true.
  using Job = std::function<bool(std::size_t first, std::size_t count)>;
  bool Run(std::size_t total, const Job& job);

 private:
  void StartHelpers();
  void Help(std::size_t part);
  // The run of chunks that part `part` of `parts` takes.
  void PartOf(std::size_t part, std::size_t* first, std::size_t* count) const;

  std::size_t threads_ = 1;  // the caller's and the helpers'
  bool started_ = false;
  std::vector<std::thread> helpers_;
  std::mutex mutex_;
  std::condition_variable changed_;
  const Job* job_ = nullptr;
  std::size_t total_ = 0;
  std::size_t parts_ = 1;
  unsigned generation_ = 0;
  std::size_t running_ = 0;
  bool failed_ = false;
  bool stop_ = false;
};

}  // namespace qz
