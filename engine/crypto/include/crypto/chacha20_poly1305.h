// ChaCha20-Poly1305 (RFC 8439): 32-byte key, 12-byte nonce, 16-byte tag after the
// ciphertext. Input and output must not overlap.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qz {

inline constexpr std::size_t kAeadKeyBytes = 32;
inline constexpr std::size_t kAeadNonceBytes = 12;
inline constexpr std::size_t kAeadTagBytes = 16;

// out receives len + kAeadTagBytes bytes.
bool AeadSeal(const std::uint8_t key[kAeadKeyBytes], const std::uint8_t nonce[kAeadNonceBytes],
              const std::uint8_t* ad, std::size_t adLen, const std::uint8_t* plain,
              std::size_t len, std::uint8_t* out);
// out receives sealedLen - kAeadTagBytes bytes; when the tag does not check out it
// gets no plaintext (the library clears it) and the result is false.
bool AeadOpen(const std::uint8_t key[kAeadKeyBytes], const std::uint8_t nonce[kAeadNonceBytes],
              const std::uint8_t* ad, std::size_t adLen, const std::uint8_t* sealed,
              std::size_t sealedLen, std::uint8_t* out);

}  // namespace qz
