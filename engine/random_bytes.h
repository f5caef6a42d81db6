// Bytes from the system's cryptographic random source: keys, salts, nonces, fillers.
#pragma once

#include <cstddef>

namespace qz {

void FillRandom(void* data, std::size_t len);

}  // namespace qz
