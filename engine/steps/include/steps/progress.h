// Progress of one operation, in the 1000-byte blocks of the format: a source of
// size bytes takes size / 1000 + 1 steps (the last, possibly empty, block counts).
#pragma once

#include <cstdint>

namespace qz {

inline constexpr std::uint64_t kProgressBlockBytes = 1000;
// Sources of fewer than 501 blocks (501,000 bytes) show no progress.
inline constexpr std::uint64_t kProgressMinBlocks = 501;

// The range a progress bar gets for a source, or 0 when none is shown.
inline std::uint64_t ProgressRange(std::uint64_t sourceSize) {
  const std::uint64_t blocks = sourceSize / kProgressBlockBytes;
  return blocks >= kProgressMinBlocks ? blocks : 0;
}

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void Begin(std::uint64_t range) = 0;
  virtual void Advance(std::uint64_t steps) = 0;
  // Called once after Begin, on success and failure alike.
  virtual void End() = 0;
  // Around a strong file's key derivation (scrypt, seconds at most), whatever the
  // source's size; a file whose key was made beforehand has none.
  virtual void KeyStepBegan() {}
  virtual void KeyStepEnded() {}
};

}  // namespace qz
