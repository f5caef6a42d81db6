// The payload of an age v1 file: a 16-byte nonce, then the plaintext in 64 KiB chunks,
// each sealed with ChaCha20-Poly1305 under a key derived from the file key and that
// nonce. A chunk's nonce is its number (11 bytes, big-endian) and a last-chunk flag.
#pragma once

#include <cstddef>
#include <cstdint>

#include "age/age_header.h"
#include "crypto/chacha20_poly1305.h"
#include "crypto/secret.h"

namespace qz {

inline constexpr std::size_t kPayloadNonceBytes = 16;
inline constexpr std::size_t kChunkBytes = 64 * 1024;
inline constexpr std::size_t kSealedChunkBytes = kChunkBytes + kAeadTagBytes;

// The payload key, in guarded memory. Chunks are independent of each other but for
// their number, so threads may seal or open different chunks at once.
class PayloadKey {
 public:
  PayloadKey() = default;
  PayloadKey(const PayloadKey&) = delete;
  PayloadKey& operator=(const PayloadKey&) = delete;

  bool Derive(const std::uint8_t fileKey[kFileKeyBytes], const std::uint8_t nonce[kPayloadNonceBytes]);
  // Chunk number `chunk`, len <= kChunkBytes, into out (len + kAeadTagBytes bytes).
  bool Seal(std::uint64_t chunk, const std::uint8_t* plain, std::size_t len, bool last,
            std::uint8_t* out) const;
  // Chunk number `chunk` from sealed (kAeadTagBytes to kSealedChunkBytes bytes) into
  // out; false when it does not authenticate as that chunk with that flag.
  bool Open(std::uint64_t chunk, const std::uint8_t* sealed, std::size_t len, bool last,
            std::uint8_t* out) const;

 private:
  Secret key_;  // empty until derived
};

}  // namespace qz
