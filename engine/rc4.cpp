#include "rc4.h"

#include <cstring>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "Rc4::Apply assembles key-stream words for little-endian machines"
#endif

namespace qz {

Rc4::Rc4(const std::uint8_t* key, std::size_t keyLen)
    : keyLen_(keyLen > sizeof(key_) ? sizeof(key_) : keyLen) {
  std::memcpy(key_, key, keyLen_);
  Schedule();
}

void Rc4::Schedule() {
  for (std::uint32_t i = 0; i < 256; ++i) state_[i] = i;
  std::uint32_t j = 0;
  for (std::uint32_t i = 0; i < 256; ++i) {
    const std::uint32_t t = state_[i];
    j = (j + t + key_[i % keyLen_]) & 0xff;
    state_[i] = state_[j];
    state_[j] = t;
  }
  x_ = 0;
  y_ = 0;
}

void Rc4::Restart() { Schedule(); }

void Rc4::Apply(std::uint8_t* data, std::size_t len) {
  std::uint32_t* const s = state_;
  std::uint32_t x = x_;
  std::uint32_t y = y_;
  auto next = [&]() -> std::uint64_t {
    x = (x + 1) & 0xff;
    const std::uint32_t tx = s[x];
    y = (y + tx) & 0xff;
    const std::uint32_t ty = s[y];
    s[x] = ty;
    s[y] = tx;
    return s[(tx + ty) & 0xff];
  };
  // Eight bytes of key stream per step, XORed as one word.
  while (len >= 8) {
    std::uint64_t k = next();
    k |= next() << 8;
    k |= next() << 16;
    k |= next() << 24;
    k |= next() << 32;
    k |= next() << 40;
    k |= next() << 48;
    k |= next() << 56;
    std::uint64_t word;
    std::memcpy(&word, data, 8);
    word ^= k;  // key-stream byte n lands on data byte n on little-endian machines
    std::memcpy(data, &word, 8);
    data += 8;
    len -= 8;
  }
  while (len > 0) {
    *data++ ^= static_cast<std::uint8_t>(next());
    --len;
  }
  x_ = x;
  y_ = y;
}

}  // namespace qz
