#include "crypto/content_digest.h"

#include "crypto/crypto_library.h"

namespace qz {

ContentDigest::ContentDigest() {
  CryptoLibraryReady();
  crypto_generichash_init(&state_, nullptr, 0, kDigestBytes);
}

ContentDigest::~ContentDigest() { sodium_memzero(&state_, sizeof state_); }

void ContentDigest::Update(const std::uint8_t* data, std::size_t len) {
  if (len > 0) crypto_generichash_update(&state_, data, len);
}

void ContentDigest::Final(std::uint8_t out[kDigestBytes]) {
  crypto_generichash_final(&state_, out, kDigestBytes);
}

bool SameDigest(const std::uint8_t a[kDigestBytes], const std::uint8_t b[kDigestBytes]) {
  return sodium_memcmp(a, b, kDigestBytes) == 0;
}

}  // namespace qz
