#include "crypto/chacha20_poly1305.h"

#include <sodium.h>

#include "crypto/crypto_library.h"

namespace qz {

bool AeadSeal(const std::uint8_t key[kAeadKeyBytes], const std::uint8_t nonce[kAeadNonceBytes],
              const std::uint8_t* ad, std::size_t adLen, const std::uint8_t* plain,
              std::size_t len, std::uint8_t* out) {
  if (!CryptoLibraryReady()) return false;
  return crypto_aead_chacha20poly1305_ietf_encrypt(out, nullptr, plain, len, ad, adLen, nullptr,
                                                   nonce, key) == 0;
}

bool AeadOpen(const std::uint8_t key[kAeadKeyBytes], const std::uint8_t nonce[kAeadNonceBytes],
              const std::uint8_t* ad, std::size_t adLen, const std::uint8_t* sealed,
              std::size_t sealedLen, std::uint8_t* out) {
  if (!CryptoLibraryReady() || sealedLen < kAeadTagBytes) return false;
  return crypto_aead_chacha20poly1305_ietf_decrypt(out, nullptr, nullptr, sealed, sealedLen, ad,
                                                   adLen, nonce, key) == 0;
}

}  // namespace qz
