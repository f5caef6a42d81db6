// scrypt (RFC 7914): the password-based key derivation of strong files.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qz {

// N = 2^logN. False when the library refuses the parameters or cannot get the
// memory (128 * r * N bytes).
bool Scrypt(const std::uint8_t* password, std::size_t passwordLen, const std::uint8_t* salt,
            std::size_t saltLen, int logN, std::uint32_t r, std::uint32_t p, std::uint8_t* out,
            std::size_t outLen);

}  // namespace qz
