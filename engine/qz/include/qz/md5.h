// MD5 (RFC 1321), used only to derive the ".qz" key from a password.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qz {

class Md5 {
 public:
  Md5();
  ~Md5();  // the context holds the password's bytes
  Md5(const Md5&) = delete;
  Md5& operator=(const Md5&) = delete;
  void Update(const void* data, std::size_t len);
  std::array<std::uint8_t, 16> Finish();

 private:
  void Transform(const std::uint8_t* block);

  std::uint32_t state_[4];
  std::uint64_t length_ = 0;
  std::uint8_t buffer_[64];
  std::size_t buffered_ = 0;
};

std::array<std::uint8_t, 16> Md5Digest(const void* data, std::size_t len);

}  // namespace qz
