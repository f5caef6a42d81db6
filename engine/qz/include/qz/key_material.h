// The ".qz" RC4 key: the 40-bit key the base provider derives from MD5(password),
// padded with its 11-byte zero salt.
#pragma once

#include <array>
#include <cstdint>

#include "crypto/secret.h"

namespace qz {

inline constexpr std::size_t kRc4KeyBytes = 16;
inline constexpr std::size_t kEffectiveKeyBytes = 5;

// Short-lived: the caller wipes it.
std::array<std::uint8_t, kRc4KeyBytes> DeriveRc4Key(const Secret& password);

}  // namespace qz
