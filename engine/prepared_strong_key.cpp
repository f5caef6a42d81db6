#include "prepared_strong_key.h"

#include <algorithm>

#include "random_bytes.h"
#include "secure_wipe.h"

namespace qz {

PreparedStrongKey::PreparedStrongKey(PreparedStrongKey&& other) noexcept { *this = std::move(other); }

PreparedStrongKey& PreparedStrongKey::operator=(PreparedStrongKey&& other) noexcept {
  if (this == &other) return *this;
  Wipe();
  std::copy(other.fileKey_, other.fileKey_ + kFileKeyBytes, fileKey_);
  header_.swap(other.header_);
  logN_ = other.logN_;
  other.Wipe();
  return *this;
}

bool PreparedStrongKey::Prepare(const std::string& password, int logN) {
  Wipe();
  if (password.empty()) return false;
  FillRandom(fileKey_, sizeof fileKey_);
  if (!BuildStrongHeader(password, logN, fileKey_, &header_)) {
    Wipe();
    return false;
  }
  logN_ = logN;
  return true;
}

void PreparedStrongKey::Wipe() {
  SecureWipe(fileKey_, sizeof fileKey_);
  SecureWipe(&header_);
  logN_ = 0;
}

}  // namespace qz
