// RC4 key stream. The ".qz" key is always 16 bytes (5 digest bytes and 11 zero bytes).
#pragma once

#include <cstddef>
#include <cstdint>

#include "crypto/secret.h"

namespace qz {

class Rc4 {
 public:
  Rc4(const std::uint8_t* key, std::size_t keyLen);
  Rc4(const Rc4&) = delete;
  Rc4& operator=(const Rc4&) = delete;
  // XORs len bytes with the next key-stream bytes, in place.
  void Apply(std::uint8_t* data, std::size_t len);
  // Back to key-stream byte 0.
  void Restart();

 private:
  void Schedule();

  // The state, then the key, in one guarded block: a ".qz" file's whole key stream
  // follows from either.
  Secret state_;
  std::uint32_t x_ = 0;
  std::uint32_t y_ = 0;
};

}  // namespace qz
