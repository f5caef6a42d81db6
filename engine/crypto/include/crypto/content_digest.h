// A digest of a whole stream of plaintext (BLAKE2b-256), to tell whether two passes
// over it saw the same bytes. The state is wiped when it goes.
#pragma once

#include <sodium.h>

#include <cstddef>
#include <cstdint>

namespace qz {

inline constexpr std::size_t kDigestBytes = 32;

class ContentDigest {
 public:
  ContentDigest();
  ~ContentDigest();
  ContentDigest(const ContentDigest&) = delete;
  ContentDigest& operator=(const ContentDigest&) = delete;

  void Update(const std::uint8_t* data, std::size_t len);
  void Final(std::uint8_t out[kDigestBytes]);

 private:
  crypto_generichash_state state_;
};

// Constant-time comparison of two digests.
bool SameDigest(const std::uint8_t a[kDigestBytes], const std::uint8_t b[kDigestBytes]);

}  // namespace qz
