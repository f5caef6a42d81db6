#include "qz/rc4.h"

#include <cstring>

namespace qz {

namespace {

constexpr std::size_t kStateBytes = 256;

// Byte-order-neutral 8-byte loads and stores: compilers make one move of each on
// machines whose order matches, and correct byte moves on the others.
std::uint64_t LoadLittle64(const std::uint8_t* p) {
  return std::uint64_t{p[0]} | std::uint64_t{p[1]} << 8 | std::uint64_t{p[2]} << 16 |
         std::uint64_t{p[3]} << 24 | std::uint64_t{p[4]} << 32 | std::uint64_t{p[5]} << 40 |
         std::uint64_t{p[6]} << 48 | std::uint64_t{p[7]} << 56;
}

void StoreLittle64(std::uint8_t* p, std::uint64_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
  p[4] = static_cast<std::uint8_t>(v >> 32);
  p[5] = static_cast<std::uint8_t>(v >> 40);
  p[6] = static_cast<std::uint8_t>(v >> 48);
  p[7] = static_cast<std::uint8_t>(v >> 56);
}

}  // namespace

Rc4::Rc4(const std::uint8_t* key, std::size_t keyLen)
    : state_(kStateBytes + (keyLen > kStateBytes ? kStateBytes : keyLen)) {
  std::memcpy(state_.data() + kStateBytes, key, state_.size() - kStateBytes);
  Schedule();
}

void Rc4::Schedule() {
  std::uint8_t* const s = state_.data();
  const std::uint8_t* const key = s + kStateBytes;
  const std::size_t keyLen = state_.size() - kStateBytes;
  for (std::uint32_t i = 0; i < kStateBytes; ++i) s[i] = static_cast<std::uint8_t>(i);
  std::uint8_t j = 0;
  for (std::uint32_t i = 0; i < kStateBytes; ++i) {
    const std::uint8_t t = s[i];
    j = static_cast<std::uint8_t>(j + t + key[i % keyLen]);
    s[i] = s[j];
    s[j] = t;
  }
  x_ = 0;
  y_ = 0;
}

void Rc4::Restart() { Schedule(); }

void Rc4::Apply(std::uint8_t* data, std::size_t len) {
  std::uint8_t* const s = state_.data();
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
    // Key-stream byte n lands on data byte n, whatever the machine's byte order.
    StoreLittle64(data, LoadLittle64(data) ^ k);
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
