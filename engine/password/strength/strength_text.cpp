#include "strength/strength_text.h"

#include <algorithm>

#include "strength/strength_tables.h"

namespace qz::strength {

namespace {

// The length of the well-formed sequence at bytes[0..size), or 0 (RFC 3629: no overlong
// forms, no surrogates, nothing above U+10FFFF).
size_t SequenceLength(const unsigned char* bytes, size_t size, char32_t* value) {
  const unsigned char lead = bytes[0];
  if (lead < 0x80) {
    *value = lead;
    return 1;
  }
  size_t length;
  char32_t c;
  char32_t least;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (size < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((bytes[k] & 0xC0) != 0x80) return 0;
    c = (c << 6) | (bytes[k] & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *value = c;
  return length;
}

}  // namespace

Text DecodeUtf8(std::string_view utf8) {
  Text text;
  text.reserve(utf8.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  size_t at = 0;
  while (at < utf8.size()) {
    char32_t c;
    const size_t length = SequenceLength(bytes + at, utf8.size() - at, &c);
    if (length == 0) {
      text.push_back(0xDC00 + bytes[at]);
      ++at;
    } else {
      text.push_back(c);
      at += length;
    }
  }
  return text;
}

int DecimalDigitValue(char32_t c) {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  const char32_t* end = kDecimalDigitZeros + kDecimalDigitZeroCount;
  const char32_t* zero = std::upper_bound(kDecimalDigitZeros, end, c);
  if (zero == kDecimalDigitZeros) return -1;
  --zero;
  return c - *zero < 10 ? static_cast<int>(c - *zero) : -1;
}

bool IsUnicodeSpace(char32_t c) {
  return std::binary_search(kUnicodeSpaces, kUnicodeSpaces + kUnicodeSpaceCount, c);
}

}  // namespace qz::strength
