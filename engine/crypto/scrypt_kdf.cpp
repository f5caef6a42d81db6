#include "crypto/scrypt_kdf.h"

#include <sodium.h>

#include "crypto/crypto_library.h"

namespace qz {

bool Scrypt(const std::uint8_t* password, std::size_t passwordLen, const std::uint8_t* salt,
            std::size_t saltLen, int logN, std::uint32_t r, std::uint32_t p, std::uint8_t* out,
            std::size_t outLen) {
  if (!CryptoLibraryReady() || logN < 1 || logN > 63) return false;
  // The library reads through these pointers even for empty inputs.
  static const std::uint8_t kNothing = 0;
  return crypto_pwhash_scryptsalsa208sha256_ll(password ? password : &kNothing, passwordLen,
                                               salt ? salt : &kNothing, saltLen,
                                               std::uint64_t{1} << logN, r, p, out, outLen) == 0;
}

}  // namespace qz
