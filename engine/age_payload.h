// The payload of an age v1 file: a 16-byte nonce, then the plaintext in 64 KiB chunks,
// each sealed with ChaCha20-Poly1305 under a key derived from the file key and that
// nonce. A chunk's nonce is its number (11 bytes, big-endian) and a last-chunk flag.
#pragma once

#include <cstddef>
#include <cstdint>

#include "age_header.h"
#include "chacha20_poly1305.h"

namespace qz {

inline constexpr std::size_t kPayloadNonceBytes = 16;
inline constexpr std::size_t kChunkBytes = 64 * 1024;
inline constexpr std::size_t kSealedChunkBytes = kChunkBytes + kAeadTagBytes;

// The payload key and the number of the next chunk; wiped when it goes.
class PayloadKey {
 public:
  PayloadKey() = default;
  ~PayloadKey();
  PayloadKey(const PayloadKey&) = delete;
  PayloadKey& operator=(const PayloadKey&) = delete;

  bool Derive(const std::uint8_t fileKey[kFileKeyBytes], const std::uint8_t nonce[kPayloadNonceBytes]);
  // The next chunk, len <= kChunkBytes, into out (len + kAeadTagBytes bytes).
  bool SealNext(const std::uint8_t* plain, std::size_t len, bool last, std::uint8_t* out);
  // The next chunk from sealed (kAeadTagBytes to kSealedChunkBytes bytes) into out; false
  // when it does not authenticate as the chunk of this number and flag.
  bool OpenNext(const std::uint8_t* sealed, std::size_t len, bool last, std::uint8_t* out);
  std::uint64_t chunksDone() const { return counter_; }

 private:
  void Nonce(bool last, std::uint8_t nonce[kAeadNonceBytes]) const;

  std::uint8_t key_[kAeadKeyBytes] = {};
  std::uint64_t counter_ = 0;
};

}  // namespace qz
