#include "crypto/hmac_sha256.h"

#include "crypto/crypto_library.h"

namespace qz {

namespace {
const std::uint8_t kNothing = 0;
}  // namespace

HmacSha256::HmacSha256(const std::uint8_t* key, std::size_t keyLen) {
  CryptoLibraryReady();
  crypto_auth_hmacsha256_init(&state_, key ? key : &kNothing, keyLen);
}

HmacSha256::~HmacSha256() { sodium_memzero(&state_, sizeof state_); }

void HmacSha256::Update(const std::uint8_t* data, std::size_t len) {
  crypto_auth_hmacsha256_update(&state_, data ? data : &kNothing, len);
}

void HmacSha256::Final(std::uint8_t out[kSha256Bytes]) { crypto_auth_hmacsha256_final(&state_, out); }

}  // namespace qz
