// A password as the estimate sees it: Unicode code points, so that lengths and positions
// are the reference's (Python's str), and the character classes its patterns use.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "crypto/secure_wipe.h"

namespace qz::strength {

// The estimate copies the password and pieces of it: every copy's memory is wiped before
// it goes back to the heap.
template <typename T>
struct WipingAllocator {
  using value_type = T;
  WipingAllocator() = default;
  template <typename U>
  WipingAllocator(const WipingAllocator<U>&) {}
  T* allocate(std::size_t n) { return std::allocator<T>().allocate(n); }
  void deallocate(T* p, std::size_t n) {
    SecureWipe(p, n * sizeof(T));
    std::allocator<T>().deallocate(p, n);
  }
  friend bool operator==(const WipingAllocator&, const WipingAllocator&) { return true; }
  friend bool operator!=(const WipingAllocator&, const WipingAllocator&) { return false; }
};

using Text = std::basic_string<char32_t, std::char_traits<char32_t>, WipingAllocator<char32_t>>;
using AsciiText = std::basic_string<char, std::char_traits<char>, WipingAllocator<char>>;

// Well-formed UTF-8 decodes as usual; every byte of a malformed sequence becomes
// U+DC80..U+DCFF, as Python's surrogateescape does, so nothing is dropped or merged.
Text DecodeUtf8(std::string_view utf8);

// The value of a Unicode decimal digit (what \d matches and int() reads), or -1.
int DecimalDigitValue(char32_t c);
bool IsUnicodeSpace(char32_t c);

// Only ASCII letters fold: every listed word is lower-case ASCII.
inline char32_t AsciiLower(char32_t c) { return c >= U'A' && c <= U'Z' ? c + 32 : c; }
inline bool IsAsciiUpper(char32_t c) { return c >= U'A' && c <= U'Z'; }
inline bool IsAsciiLower(char32_t c) { return c >= U'a' && c <= U'z'; }

}  // namespace qz::strength
