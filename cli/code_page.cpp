#include "code_page.h"

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include "qz/code_page_936.h"

#ifdef _WIN32
#include <windows.h>

#include "wide_text.h"
#else
#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#endif

namespace qzcli {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// A copy of a password's bytes, or of a part of them.
qz::Secret CopyOf(std::string_view bytes) { return qz::Secret(bytes.data(), bytes.size()); }

bool IsAscii(std::string_view text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

// Length of the UTF-8 sequence that starts at i, or 0 when none does.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto c = static_cast<std::uint8_t>(text[i]);
  std::size_t extra;
  std::uint32_t min;
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) {
    extra = 1;
    min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3;
    min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - i <= extra) return 0;
  std::uint32_t cp = c & (0x3F >> extra);
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto t = static_cast<std::uint8_t>(text[i + k]);
    if ((t & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (t & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return extra + 1;
}

// Length of the code page 936 character that starts at i (1 or 2), or 0 when none
// does. The structure alone decides, so that every system takes the same bytes.
std::size_t Cp936Length(std::string_view text, std::size_t i) {
  const auto c = static_cast<std::uint8_t>(text[i]);
  if (c <= 0x80) return 1;  // 0x80 is the euro sign
  if (c == 0xFF || i + 1 >= text.size()) return 0;
  const auto t = static_cast<std::uint8_t>(text[i + 1]);
  return t >= 0x40 && t <= 0xFE && t != 0x7F ? 2 : 0;
}

using CharacterLength = std::size_t (*)(std::string_view, std::size_t);

// Whether the text is a whole number of characters as length() cuts them.
bool IsCharacters(std::string_view text, CharacterLength length) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = length(text, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

// A stored name may hold DEL, which a terminal should not get.
std::string Printable(const std::string& bytes) {
  std::string shown = bytes;
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return shown;
}

// Converts one piece at a time, as length() cuts the text; a piece that does not
// convert becomes '?'.
template <typename Convert>
std::string ConvertEach(const std::string& text, CharacterLength length, Convert convert) {
  std::string result, converted;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = length(text, i);
    if (len > 0 && convert(text.substr(i, len), &converted)) {
      result += converted;
    } else {
      result += '?';
    }
    i += len > 0 ? len : 1;
  }
  return result;
}

#ifndef _WIN32

// The C and POSIX locales name ASCII; Linux file names and terminals then still
// hold UTF-8 almost always.
const char* LocaleCodeset() {
  const char* codeset = nl_langinfo(CODESET);
  if (std::strcmp(codeset, "ANSI_X3.4-1968") == 0 || std::strcmp(codeset, "ASCII") == 0 ||
      std::strcmp(codeset, "US-ASCII") == 0) {
    return "UTF-8";
  }
  return codeset;
}

bool LocaleIsUtf8() { return std::strcmp(LocaleCodeset(), "UTF-8") == 0; }

class Converter {
 public:
  Converter(const char* to, const char* from) {
    handle_ = iconv_open(to, from);
    // Some iconv builds know code page 936 only by its other name.
    if (!ok() && std::strcmp(to, "CP936") == 0) handle_ = iconv_open("GBK", from);
    if (!ok() && std::strcmp(from, "CP936") == 0) handle_ = iconv_open(to, "GBK");
  }
  ~Converter() {
    if (ok()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // All or nothing: false when any part does not convert. The text may be a password:
  // it is converted straight into guarded memory.
  bool Convert(std::string_view text, qz::Secret* out) {
    if (!ok()) return false;
    qz::Secret result(RoomFor(text));
    std::size_t written = 0;
    if (!Run(text, false, result.chars(), result.size(), &written)) return false;
    result.Truncate(written);
    *out = std::move(result);
    return true;
  }

  // The same for a piece of a name.
  bool Convert(std::string_view text, std::string* out) {
    if (!ok()) return false;
    std::string result(RoomFor(text), '\0');
    std::size_t written = 0;
    if (!Run(text, false, &result[0], result.size(), &written)) return false;
    result.resize(written);
    *out = std::move(result);
    return true;
  }

  // Everything; each byte that is no character of the input becomes '?'.
  std::string ConvertSkipping(std::string_view text) {
    if (!ok()) return std::string(text.size(), '?');
    std::string result(RoomFor(text), '\0');
    std::size_t written = 0;
    Run(text, true, &result[0], result.size(), &written);
    result.resize(written);
    return result;
  }

 private:
  // No encoding takes more than four bytes of output per byte of input.
  static std::size_t RoomFor(std::string_view text) { return text.size() * 4 + 16; }

  // Converts into out (capacity bytes); *written tells how far it got.
  bool Run(std::string_view text, bool skipInvalid, char* out, std::size_t capacity, std::size_t* written) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(text.data());  // iconv only reads its input
    std::size_t inLeft = text.size();
    char* dst = out;
    std::size_t dstLeft = capacity;
    bool converted = true;
    while (inLeft > 0) {
      if (iconv(handle_, &in, &inLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) continue;
      if (errno == E2BIG || !skipInvalid || dstLeft == 0) {
        converted = false;
        break;
      }
      *dst++ = '?';
      --dstLeft;
      ++in;
      --inLeft;
    }
    if (converted && iconv(handle_, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1) &&
        !skipInvalid) {
      converted = false;
    }
    *written = capacity - dstLeft;
    return converted;
  }

  iconv_t handle_;
};

bool Cp936ToUtf8(std::string_view text, qz::Secret* out) {
  return Converter("UTF-8", "CP936").Convert(text, out);
}

#else

// One code page 936 character (or a run of them) as UTF-8; false when it is none.
bool Cp936ToUtf8(const std::string& text, std::string* out) {
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
  *out = Utf8Text(wide.data(), wide.size());
  return true;
}

// The same for a password, in guarded memory all the way.
bool Cp936ToUtf8(std::string_view text, qz::Secret* out) {
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return false;
  qz::Secret wide(static_cast<std::size_t>(length) * sizeof(wchar_t));
  MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text.data(), size, wide.wchars(), length);
  Utf8Text(wide.wchars(), static_cast<std::size_t>(length), out);
  return true;
}

#endif

// A password must be what was typed: a character code page 936 lacks fails it.
bool Utf8ToCodePage936(std::string_view text, qz::Secret* out) {
  return qz::ToCodePage936(text, qz::LackingCharacter::kFail, out);
}

std::string Utf8ToCodePage936Each(const std::string& utf8) {
  return ConvertEach(utf8, Utf8Length, [](const std::string& piece, std::string* out) {
    return qz::ToCodePage936(piece, qz::LackingCharacter::kFail, out);
  });
}

}  // namespace

void InitLocale() { std::setlocale(LC_ALL, ""); }

bool IsValidUtf8(std::string_view text) { return IsCharacters(text, Utf8Length); }

TextBytes LocaleTextBytes() {
#ifdef _WIN32
  return TextBytes::kUtf8;
#else
  if (LocaleIsUtf8()) return TextBytes::kUtf8;
  return MB_CUR_MAX == 1 ? TextBytes::kSingleByte : TextBytes::kMultibyte;
#endif
}

bool LocaleToCodePage936(const qz::Secret& typed, qz::Secret* out) {
  const std::string_view text = typed.view();
  if (IsAscii(text)) {
    *out = CopyOf(text);
    return true;
  }
#ifndef _WIN32
  if (!LocaleIsUtf8()) return Converter("CP936", LocaleCodeset()).Convert(text, out);
#endif
  return IsValidUtf8(text) && Utf8ToCodePage936(text, out);
}

namespace {

std::string_view WithoutBom(const qz::Secret& raw) {
  std::string_view text = raw.view();
  const std::size_t bom = sizeof(kUtf8Bom) - 1;
  if (text.substr(0, bom) == std::string_view(kUtf8Bom, bom)) text.remove_prefix(bom);
  return text;
}

}  // namespace

bool PasswordToCodePage936(const qz::Secret& raw, qz::Secret* out) {
  const std::string_view text = WithoutBom(raw);
  if (IsAscii(text)) {
    *out = CopyOf(text);
    return true;
  }
  if (IsValidUtf8(text)) return Utf8ToCodePage936(text, out);
  if (!IsCharacters(text, Cp936Length)) return false;
  *out = CopyOf(text);
  return true;
}

bool ToUtf8(const qz::Secret& typed, qz::Secret* out) {
  const std::string_view text = typed.view();
#ifndef _WIN32
  if (!IsAscii(text) && !LocaleIsUtf8()) {
    return Converter("UTF-8", LocaleCodeset()).Convert(text, out);
  }
#endif
  if (!IsValidUtf8(text)) return false;
  *out = CopyOf(text);
  return true;
}

bool PasswordToUtf8(const qz::Secret& raw, qz::Secret* out) {
  const std::string_view text = WithoutBom(raw);
  if (IsValidUtf8(text)) {
    *out = CopyOf(text);
    return true;
  }
  return IsCharacters(text, Cp936Length) && Cp936ToUtf8(text, out);
}

std::string NameToCodePage936(const std::string& name) {
  if (IsAscii(name)) return name;
#ifndef _WIN32
  if (!LocaleIsUtf8()) {
    return Utf8ToCodePage936Each(Converter("UTF-8", LocaleCodeset()).ConvertSkipping(name));
  }
#endif
  // A name unpacked from a code page 936 system keeps its bytes; they are the name.
  if (!IsValidUtf8(name) && IsCharacters(name, Cp936Length)) return name;
  return Utf8ToCodePage936Each(name);
}

std::string FromCodePage936(const std::string& bytes) {
  const std::string shown = Printable(bytes);
  if (IsAscii(shown)) return shown;
#ifdef _WIN32
  return ConvertEach(shown, Cp936Length, [](const std::string& piece, std::string* out) {
    return Cp936ToUtf8(piece, out);
  });
#else
  Converter converter(LocaleCodeset(), "CP936");
  return ConvertEach(shown, Cp936Length, [&converter](const std::string& piece, std::string* out) {
    return converter.Convert(piece, out);
  });
#endif
}

}  // namespace qzcli
