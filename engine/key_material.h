// The ".qz" RC4 key: the 40-bit key the base provider derives from MD5(password),
// padded with its 11-byte zero salt.
#pragma once

#include <cstddef>

#include "secret.h"

namespace qz {

inline constexpr std::size_t kRc4KeyBytes = 16;
inline constexpr std::size_t kEffectiveKeyBytes = 5;

Secret DeriveRc4Key(const Secret& password);

}  // namespace qz
