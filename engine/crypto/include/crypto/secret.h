// A password or a key. Its bytes live in guarded memory (libsodium's: locked so that they
// are never swapped out, between guard pages, wiped when freed) that on Windows is also kept
// out of error reports. It is never copied and never turns into a string by itself: a
// password changes form only by being written into another Secret.
#pragma once

#include <cstddef>
#include <string_view>

namespace qz {

class Secret {
 public:
  Secret() = default;
  // size bytes, all zero. Throws std::bad_alloc when no guarded memory is left.
  explicit Secret(std::size_t size);
  // A copy of the bytes given (the caller wipes its own).
  Secret(const void* bytes, std::size_t size);
  ~Secret() { Release(); }
  // Moving leaves the source empty: a secret lives in one place only.
  Secret(Secret&& other) noexcept;
  Secret& operator=(Secret&& other) noexcept;
  Secret(const Secret&) = delete;
  Secret& operator=(const Secret&) = delete;

  unsigned char* data() { return bytes_; }
  const unsigned char* data() const { return bytes_; }
  // As text; always followed by two zero bytes, so that it ends a C or a wide string.
  const char* chars() const { return bytes_ ? reinterpret_cast<const char*>(bytes_) : ""; }
  char* chars() { return reinterpret_cast<char*>(bytes_); }
  const wchar_t* wchars() const { return bytes_ ? reinterpret_cast<const wchar_t*>(bytes_) : L""; }
  wchar_t* wchars() { return reinterpret_cast<wchar_t*>(bytes_); }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  // The bytes as text, for code that reads them in place (never keeps or copies them).
  std::string_view view() const { return std::string_view(chars(), size_); }

  // Appends bytes, moving to a larger guarded block when this one is full (the old block
  // is wiped as it is freed).
  void Append(const void* bytes, std::size_t size);
  void Append(char c) { Append(&c, 1); }
  // Room for capacity bytes without a move; the size stays.
  void Reserve(std::size_t capacity);
  // Shortens it to size bytes, wiping the rest; a larger size is refused (false).
  bool Truncate(std::size_t size);
  // Wipes and frees it.
  void Clear() { Release(); }
  // Compares in constant time for equal sizes.
  bool Equals(const Secret& other) const;

 private:
  void Release();

  unsigned char* bytes_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace qz
