// A strong file's key made before its file is opened: a fresh file key and the whole
// header that wraps it under the password. The header needs nothing of the file, so a
// batch can run scrypt, the slow part, for the next files while one is written.
#pragma once

#include <cstdint>
#include <string>

#include "age/age_header.h"
#include "crypto/secret.h"

namespace qz {

class PreparedStrongKey {
 public:
  PreparedStrongKey() = default;
  ~PreparedStrongKey() { Wipe(); }
  // Moving leaves the source wiped: a key lives in one place only.
  PreparedStrongKey(PreparedStrongKey&& other) noexcept;
  PreparedStrongKey& operator=(PreparedStrongKey&& other) noexcept;
  PreparedStrongKey(const PreparedStrongKey&) = delete;
  PreparedStrongKey& operator=(const PreparedStrongKey&) = delete;

  // A fresh file key and salt, and scrypt at logN; false when scrypt fails (memory) or the
  // password is empty.
  bool Prepare(const Secret& password, int logN);
  void Wipe();

  bool ready() const { return logN_ != 0; }
  int logN() const { return logN_; }
  const std::uint8_t* fileKey() const { return fileKey_.data(); }
  const std::string& header() const { return header_; }
  // What scrypt gave for the header: its file opens again without another derivation.
  const StrongWrapKey& wrapKey() const { return wrapKey_; }

 private:
  Secret fileKey_;
  StrongWrapKey wrapKey_;
  std::string header_;
  int logN_ = 0;
};

}  // namespace qz
