#include "age/age_payload.h"

#include <new>

#include "crypto/hkdf_sha256.h"

namespace qz {

bool PayloadKey::Derive(const std::uint8_t fileKey[kFileKeyBytes],
                        const std::uint8_t nonce[kPayloadNonceBytes]) {
  static const std::uint8_t kInfo[] = {'p', 'a', 'y', 'l', 'o', 'a', 'd'};
  try {
    key_ = Secret(kAeadKeyBytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (HkdfSha256(fileKey, kFileKeyBytes, nonce, kPayloadNonceBytes, kInfo, sizeof kInfo, key_.data(),
                 key_.size())) {
    return true;
  }
  key_.Clear();
  return false;
}

namespace {

// Eleven bytes of big-endian chunk number, of which a 64-bit count fills the last
// eight, and the last-chunk flag.
void ChunkNonce(std::uint64_t chunk, bool last, std::uint8_t nonce[kAeadNonceBytes]) {
  for (std::size_t i = 0; i < kAeadNonceBytes - 1; ++i) {
    const std::size_t shift = 8 * (kAeadNonceBytes - 2 - i);
    nonce[i] = shift < 64 ? static_cast<std::uint8_t>(chunk >> shift) : 0;
  }
  nonce[kAeadNonceBytes - 1] = last ? 1 : 0;
}

}  // namespace

bool PayloadKey::Seal(std::uint64_t chunk, const std::uint8_t* plain, std::size_t len, bool last,
                      std::uint8_t* out) const {
  if (len > kChunkBytes || key_.empty()) return false;
  std::uint8_t nonce[kAeadNonceBytes];
  ChunkNonce(chunk, last, nonce);
  return AeadSeal(key_.data(), nonce, nullptr, 0, plain, len, out);
}

bool PayloadKey::Open(std::uint64_t chunk, const std::uint8_t* sealed, std::size_t len, bool last,
                      std::uint8_t* out) const {
  if (len < kAeadTagBytes || len > kSealedChunkBytes || key_.empty()) return false;
  std::uint8_t nonce[kAeadNonceBytes];
  ChunkNonce(chunk, last, nonce);
  return AeadOpen(key_.data(), nonce, nullptr, 0, sealed, len, out);
}

}  // namespace qz
