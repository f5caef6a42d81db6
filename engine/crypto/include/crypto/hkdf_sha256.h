// HKDF-SHA-256 (RFC 5869): extract, then expand. libsodium 1.0.18 has no HKDF of its
// own, so it is built here on its HMAC.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qz {

// outLen up to 255 * 32 bytes; false beyond. An empty salt means 32 zero bytes.
bool HkdfSha256(const std::uint8_t* ikm, std::size_t ikmLen, const std::uint8_t* salt,
                std::size_t saltLen, const std::uint8_t* info, std::size_t infoLen,
                std::uint8_t* out, std::size_t outLen);

}  // namespace qz
