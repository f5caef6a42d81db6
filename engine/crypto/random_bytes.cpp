#include "crypto/random_bytes.h"

#include <sodium.h>

#include "crypto/crypto_library.h"

namespace qz {

void FillRandom(void* data, std::size_t len) {
  // randombytes_buf reads the system source itself even when sodium_init failed, and
  // it cannot fail: it aborts instead of handing out weak bytes.
  CryptoLibraryReady();
  randombytes_buf(data, len);
}

std::uint32_t RandomBelow(std::uint32_t bound) {
  CryptoLibraryReady();
  return randombytes_uniform(bound);
}

}  // namespace qz
