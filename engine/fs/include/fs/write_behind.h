// Writes one buffer to the output on a thread of its own while the caller ciphers the
// next, so that file output and cipher work overlap. Buffers are written whole and in
// the order handed over; without a thread, each is written at once.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "fs/file_streams.h"

namespace qz {

class WriteBehind {
 public:
  explicit WriteBehind(TempOutput& out);
  ~WriteBehind();  // waits for the write in flight
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // Waits for the write in flight, then starts writing data, which must stay as it is
  // until the next Start or Wait returns. False when a write failed.
  bool Start(const std::uint8_t* data, std::size_t len);
  // Waits for the write in flight. False when a write failed.
  bool Wait();

 private:
  void Run();

  TempOutput& out_;
  std::mutex mutex_;
  std::condition_variable changed_;
  const std::uint8_t* data_ = nullptr;
  std::size_t len_ = 0;
  bool busy_ = false;
  bool stop_ = false;
  bool failed_ = false;
  std::thread thread_;
};

}  // namespace qz
