#include "crypto/crypto_library.h"

#include <sodium.h>

namespace qz {

bool CryptoLibraryReady() {
  // sodium_init is itself safe to call from several threads; the static keeps it to one
  // call per process.
  static const bool ready = sodium_init() >= 0;
  return ready;
}

}  // namespace qz
