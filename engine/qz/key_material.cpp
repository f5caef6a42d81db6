#include "qz/key_material.h"

#include "crypto/secure_wipe.h"
#include "qz/md5.h"

namespace qz {

std::array<std::uint8_t, kRc4KeyBytes> DeriveRc4Key(const Secret& password) {
  auto digest = Md5Digest(password.data(), password.size());
  std::array<std::uint8_t, kRc4KeyBytes> key{};
  for (std::size_t i = 0; i < kEffectiveKeyBytes; ++i) key[i] = digest[i];
  SecureWipe(digest.data(), digest.size());
  return key;
}

}  // namespace qz
