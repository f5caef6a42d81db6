// Bytes from the system's cryptographic random source: keys, salts, nonces, fillers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qz {

void FillRandom(void* data, std::size_t len);
// A number from 0 to bound - 1, each equally likely (bound > 0).
std::uint32_t RandomBelow(std::uint32_t bound);

}  // namespace qz
