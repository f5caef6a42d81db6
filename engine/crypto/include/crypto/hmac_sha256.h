// HMAC-SHA-256 (RFC 2104), incremental; the state is wiped when it goes.
#pragma once

#include <sodium.h>

#include <cstddef>
#include <cstdint>

namespace qz {

inline constexpr std::size_t kSha256Bytes = 32;

class HmacSha256 {
 public:
  HmacSha256(const std::uint8_t* key, std::size_t keyLen);
  ~HmacSha256();
  HmacSha256(const HmacSha256&) = delete;
  HmacSha256& operator=(const HmacSha256&) = delete;

  void Update(const std::uint8_t* data, std::size_t len);
  void Final(std::uint8_t out[kSha256Bytes]);

 private:
  crypto_auth_hmacsha256_state state_;
};

}  // namespace qz
