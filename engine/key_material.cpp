#include "key_material.h"

#include "md5.h"
#include "secure_wipe.h"

namespace qz {

Secret DeriveRc4Key(const Secret& password) {
  auto digest = Md5Digest(password.data(), password.size());
  Secret key(kRc4KeyBytes);
  for (std::size_t i = 0; i < kEffectiveKeyBytes; ++i) key.data()[i] = digest[i];
  SecureWipe(digest.data(), digest.size());
  return key;
}

}  // namespace qz
