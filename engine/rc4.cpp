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
  for (std::uint32_t i = 0; i < 256; ++i) state_[i] = static_cast<std::uint8_t>(i);
  std::uint8_t j = 0;
  for (std::uint32_t i = 0; i < 256; ++i) {
    const std::uint8_t t = state_[i];
    j = static_cast<std::uint8_t>(j + t + key_[i % keyLen_]);
    state_[i] = state_[j];
    state_[j] = t;
  }
  x_ = 0;
  y_ = 0;
}

void Rc4::Restart() { Schedule(); }

void Rc4::Apply(std::uint8_t* data, std::size_t len) {
  std::uint8_t* const s = state_;
  // Byte-sized indices wrap by themselves, without masking.
  std::uint8_t x = static_cast<std::uint8_t>(x_ + 1);
  std::uint8_t y = static_cast<std::uint8_t>(y_);
  // The next step's s[x] is loaded before this step's swap is stored, so the load
  // does not wait for the stores; when the swap lands on it (y == x + 1), it is the
  // value just stored there. About 10% faster than loading after the swap.
  std::uint32_t tx = s[x];
  auto next = [&]() -> std::uint64_t {
    y = static_cast<std::uint8_t>(y + tx);
    const std::uint32_t ty = s[y];
    const std::uint8_t x1 = static_cast<std::uint8_t>(x + 1);
    std::uint32_t txNext = s[x1];
    s[y] = static_cast<std::uint8_t>(tx);
    s[x] = static_cast<std::uint8_t>(ty);
    if (y == x1) txNext = tx;
    const std::uint64_t out = s[static_cast<std::uint8_t>(tx + ty)];
    x = x1;
    tx = txNext;
    return out;
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
  x_ = static_cast<std::uint8_t>(x - 1);
  y_ = y;
}

}  // namespace qz
