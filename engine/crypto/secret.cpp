#include "crypto/secret.h"

#include <sodium.h>

#include <cstring>
#include <new>
#include <utility>

#include "crypto/crypto_library.h"
#include "secret_dump_exclusion.h"

namespace qz {
namespace {

// Two zero bytes after the last byte, so a secret always ends a wide string too.
constexpr std::size_t kTerminator = 2;

unsigned char* Allocate(std::size_t capacity) {
  if (!CryptoLibraryReady()) throw std::bad_alloc();
  void* block = sodium_malloc(capacity + kTerminator);
  if (!block) throw std::bad_alloc();
  std::memset(block, 0, capacity + kTerminator);
  ExcludeFromDumps(block, capacity + kTerminator);
  return static_cast<unsigned char*>(block);
}

void Free(unsigned char* block, std::size_t capacity) {
  if (!block) return;
  IncludeInDumps(block, capacity + kTerminator);
  sodium_free(block);  // wipes the block, then unlocks and frees it
}

}  // namespace

Secret::Secret(std::size_t size) : bytes_(size ? Allocate(size) : nullptr), size_(size), capacity_(size) {}

Secret::Secret(const void* bytes, std::size_t size) : Secret(size) {
  if (size) std::memcpy(bytes_, bytes, size);
}

Secret::Secret(Secret&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

Secret& Secret::operator=(Secret&& other) noexcept {
  if (this != &other) {
    Release();
    bytes_ = std::exchange(other.bytes_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

void Secret::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  unsigned char* larger = Allocate(capacity);
  if (size_) std::memcpy(larger, bytes_, size_);
  Free(bytes_, capacity_);
  bytes_ = larger;
  capacity_ = capacity;
}

void Secret::Append(const void* bytes, std::size_t size) {
  if (size == 0) return;
  if (size_ + size > capacity_) {
    std::size_t grown = capacity_ < 32 ? 64 : capacity_ * 2;
    Reserve(grown < size_ + size ? size_ + size : grown);
  }
  std::memcpy(bytes_ + size_, bytes, size);
  size_ += size;
}

bool Secret::Truncate(std::size_t size) {
  if (size > size_) return false;
  if (bytes_) sodium_memzero(bytes_ + size, size_ - size);
  size_ = size;
  return true;
}

bool Secret::Equals(const Secret& other) const {
  if (size_ != other.size_) return false;
  return size_ == 0 || sodium_memcmp(bytes_, other.bytes_, size_) == 0;
}

void Secret::Release() {
  Free(bytes_, capacity_);
  bytes_ = nullptr;
  size_ = capacity_ = 0;
}

}  // namespace qz
