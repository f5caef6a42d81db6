#include "code_page.h"

#include <clocale>
#include <cstdint>

#ifndef _WIN32
#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>
#endif

namespace qzcli {

namespace {

bool IsAscii(const std::string& text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

#ifndef _WIN32

// The C and POSIX locales name ASCII; Linux file names and terminals then still
// hold UTF-8 almost always.
bool IsAsciiCodeset(const char* codeset) {
  return std::strcmp(codeset, "ANSI_X3.4-1968") == 0 || std::strcmp(codeset, "ASCII") == 0 ||
         std::strcmp(codeset, "US-ASCII") == 0;
}

class Converter {
 public:
  explicit Converter(const char* from) {
    handle_ = iconv_open("CP936", from);
    if (handle_ == reinterpret_cast<iconv_t>(-1)) handle_ = iconv_open("GBK", from);
  }
  ~Converter() {
    if (ok()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  bool Convert(const std::string& text, std::string* out) {
    std::string input = text;  // iconv wants a non-const input pointer
    char* in = input.data();
    std::size_t inLeft = input.size();
    std::string result;
    char chunk[256];
    while (inLeft > 0) {
      char* dst = chunk;
      std::size_t dstLeft = sizeof(chunk);
      const std::size_t rc = iconv(handle_, &in, &inLeft, &dst, &dstLeft);
      result.append(chunk, sizeof(chunk) - dstLeft);
      // E2BIG only means the chunk is full; anything else is text we refuse.
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
    }
    char* dst = chunk;
    std::size_t dstLeft = sizeof(chunk);
    if (iconv(handle_, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) return false;
    result.append(chunk, sizeof(chunk) - dstLeft);
    *out = std::move(result);
    return true;
  }

 private:
  iconv_t handle_;
};

#endif

}  // namespace

void InitLocale() { std::setlocale(LC_ALL, ""); }

bool IsValidUtf8(const std::string& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const auto c = static_cast<std::uint8_t>(text[i]);
    std::size_t extra;
    std::uint32_t min;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      min = 0x10000;
    } else {
      return false;
    }
    if (n - i <= extra) return false;
    std::uint32_t cp = c & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto t = static_cast<std::uint8_t>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

bool ToCodePage936(const std::string& text, std::string* out) {
  if (IsAscii(text)) {
    *out = text;
    return true;
  }
#ifdef _WIN32
  *out = text;
  return true;
#else
  const char* codeset = nl_langinfo(CODESET);
  if (IsAsciiCodeset(codeset)) {
    if (!IsValidUtf8(text)) return false;
    codeset = "UTF-8";
  }
  Converter converter(codeset);
  return converter.ok() && converter.Convert(text, out);
#endif
}

}  // namespace qzcli
