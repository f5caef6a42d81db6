#include "age/prepared_strong_key.h"

#include <new>
#include <utility>

#include "crypto/random_bytes.h"

namespace qz {

PreparedStrongKey::PreparedStrongKey(PreparedStrongKey&& other) noexcept { *this = std::move(other); }

PreparedStrongKey& PreparedStrongKey::operator=(PreparedStrongKey&& other) noexcept {
  if (this == &other) return *this;
  Wipe();
  fileKey_ = std::move(other.fileKey_);
  wrapKey_ = std::move(other.wrapKey_);
  header_.swap(other.header_);
  logN_ = other.logN_;
  other.Wipe();
  return *this;
}

bool PreparedStrongKey::Prepare(const Secret& password, int logN) {
  Wipe();
  if (password.empty()) return false;
  try {
    fileKey_ = Secret(kFileKeyBytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
  FillRandom(fileKey_.data(), fileKey_.size());
  if (!BuildStrongHeader(password, logN, fileKey_.data(), &header_, &wrapKey_)) {
    Wipe();
    return false;
  }
  logN_ = logN;
  return true;
}

void PreparedStrongKey::Wipe() {
  fileKey_.Clear();
  wrapKey_.Wipe();
  header_.clear();
  logN_ = 0;
}

}  // namespace qz
