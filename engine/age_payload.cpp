#include "age_payload.h"

#include "hkdf_sha256.h"
#include "secure_wipe.h"

namespace qz {

PayloadKey::~PayloadKey() { SecureWipe(key_, sizeof key_); }

bool PayloadKey::Derive(const std::uint8_t fileKey[kFileKeyBytes],
                        const std::uint8_t nonce[kPayloadNonceBytes]) {
  static const std::uint8_t kInfo[] = {'p', 'a', 'y', 'l', 'o', 'a', 'd'};
  counter_ = 0;
  return HkdfSha256(fileKey, kFileKeyBytes, nonce, kPayloadNonceBytes, kInfo, sizeof kInfo, key_,
                    sizeof key_);
}

void PayloadKey::Nonce(bool last, std::uint8_t nonce[kAeadNonceBytes]) const {
  // Eleven bytes of counter, of which a 64-bit count fills the last eight.
  for (std::size_t i = 0; i < kAeadNonceBytes - 1; ++i) {
    const std::size_t shift = 8 * (kAeadNonceBytes - 2 - i);
    nonce[i] = shift < 64 ? static_cast<std::uint8_t>(counter_ >> shift) : 0;
  }
  nonce[kAeadNonceBytes - 1] = last ? 1 : 0;
}

bool PayloadKey::SealNext(const std::uint8_t* plain, std::size_t len, bool last, std::uint8_t* out) {
  if (len > kChunkBytes) return false;
  std::uint8_t nonce[kAeadNonceBytes];
  Nonce(last, nonce);
  if (!AeadSeal(key_, nonce, nullptr, 0, plain, len, out)) return false;
  ++counter_;
  return true;
}

bool PayloadKey::OpenNext(const std::uint8_t* sealed, std::size_t len, bool last, std::uint8_t* out) {
  if (len < kAeadTagBytes || len > kSealedChunkBytes) return false;
  std::uint8_t nonce[kAeadNonceBytes];
  Nonce(last, nonce);
  if (!AeadOpen(key_, nonce, nullptr, 0, sealed, len, out)) return false;
  ++counter_;
  return true;
}

}  // namespace qz
