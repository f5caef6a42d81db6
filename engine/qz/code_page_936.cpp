#include "qz/code_page_936.h"

#include <cstddef>
#include <string_view>
#include <type_traits>
#include <utility>

#include "crypto/secure_wipe.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace qz {

namespace {

const char* LackingText(LackingCharacter lacking) {
  return lacking == LackingCharacter::kSortsLast ? "\xFF\xFF" : "?";
}

void Append(std::string* text, const char* bytes, std::size_t size) { text->append(bytes, size); }
void Append(Secret* text, const char* bytes, std::size_t size) { text->Append(bytes, size); }

#ifdef _WIN32

constexpr UINT kCodePage936 = 936;

void Empty(std::string* text) {
  if (!text->empty()) SecureWipe(&(*text)[0], text->size());
  text->clear();
}
void Empty(Secret* text) { text->Truncate(0); }

// Appends the characters; false when one has no code page 936 form.
template <typename Text>
bool Convert936(const wchar_t* wide, int length, Text* out) {
  BOOL usedDefault = FALSE;
  const int size = ::WideCharToMultiByte(kCodePage936, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr,
                                         &usedDefault);
  if (size <= 0 || usedDefault) return false;
  if constexpr (std::is_same_v<Text, Secret>) {
    Secret piece(static_cast<std::size_t>(size));
    ::WideCharToMultiByte(kCodePage936, WC_NO_BEST_FIT_CHARS, wide, length, piece.chars(), size, nullptr, nullptr);
    out->Append(piece.data(), piece.size());
  } else {
    const std::size_t at = out->size();
    out->resize(at + static_cast<std::size_t>(size));
    ::WideCharToMultiByte(kCodePage936, WC_NO_BEST_FIT_CHARS, wide, length, &(*out)[at], size, nullptr, nullptr);
  }
  return true;
}

// A wide copy of the UTF-8 text, wiped when it goes: in guarded memory for a password.
template <typename Text>
struct WideCopy {
  std::wstring text;
  WipeTextOnExit<std::wstring> wipe{text};
  wchar_t* Make(std::size_t length) {
    text.assign(length, L'\0');
    return &text[0];
  }
};
template <>
struct WideCopy<Secret> {
  Secret text;
  wchar_t* Make(std::size_t length) {
    text = Secret(length * sizeof(wchar_t));
    return text.wchars();
  }
};

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

#else

// The length of the UTF-8 character at text[i], 0 when the bytes there are none
// (overlong forms, surrogates and values beyond U+10FFFF included).
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  return length;
}

// Appends one character; false when code page 936 lacks it.
template <typename Text>
bool Convert936(iconv_t converter, std::string_view text, std::size_t at, std::size_t length, Text* out) {
  char input[4];
  char output[8];
  WipeOnExit<char[4]> wipeInput(input);
  WipeOnExit<char[8]> wipeOutput(output);
  for (std::size_t k = 0; k < length; ++k) input[k] = text[at + k];
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  char* in = input;
  std::size_t inLeft = length;
  char* dst = output;
  std::size_t dstLeft = sizeof(output);
  if (iconv(converter, &in, &inLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) return false;
  if (iconv(converter, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) return false;
  Append(out, output, sizeof(output) - dstLeft);
  return true;
}

#endif

// The conversion into a std::string (a name) or a Secret (a password) that the caller
// made with room for it, so that it is not moved on the way.
template <typename Text>
bool Convert(std::string_view utf8, LackingCharacter lacking, Text& text) {
#ifdef _WIN32
  if (!utf8.empty()) {
    const int size = static_cast<int>(utf8.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length <= 0) return false;
    WideCopy<Text> copy;
    wchar_t* const wide = copy.Make(static_cast<std::size_t>(length));
    const std::size_t units = static_cast<std::size_t>(length);
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide, length);
    if (!Convert936(wide, length, &text)) {
      // Some character is lacking: one at a time, so that each is dealt with alone.
      Empty(&text);
      for (std::size_t i = 0; i < units; ++i) {
        const int pair = IsHighSurrogate(wide[i]) && i + 1 < units && IsLowSurrogate(wide[i + 1]) ? 2 : 1;
        if (!Convert936(&wide[i], pair, &text)) {
          if (lacking == LackingCharacter::kFail) return false;
          const std::string_view lack = LackingText(lacking);
          Append(&text, lack.data(), lack.size());
        }
        i += static_cast<std::size_t>(pair - 1);
      }
    }
  }
#else
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t length = Utf8Length(utf8, i);
    if (length == 0) return false;
    i += length;
  }
  iconv_t converter = iconv_open("CP936", "UTF-8");
  // Some iconv builds know code page 936 only by its other name.
  if (converter == reinterpret_cast<iconv_t>(-1)) converter = iconv_open("GBK", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  bool ok = true;
  for (std::size_t i = 0; ok && i < utf8.size();) {
    const std::size_t length = Utf8Length(utf8, i);
    if (!Convert936(converter, utf8, i, length, &text)) {
      if (lacking == LackingCharacter::kFail) {
        ok = false;
      } else {
        const std::string_view lack = LackingText(lacking);
        Append(&text, lack.data(), lack.size());
      }
    }
    i += length;
  }
  iconv_close(converter);
  if (!ok) return false;
#endif
  return true;
}

}  // namespace

bool ToCodePage936(const std::string& utf8, LackingCharacter lacking, std::string* out) {
  std::string text;
  text.reserve(utf8.size() * 2 + 2);  // kept in place, so no unwiped copy is left
  WipeTextOnExit<std::string> wipeText(text);
  if (!Convert(utf8, lacking, text)) return false;
  if (out->size() > 0) SecureWipe(&(*out)[0], out->size());
  out->assign(text);
  return true;
}

bool ToCodePage936(std::string_view utf8, LackingCharacter lacking, Secret* out) {
  // Code page 936 takes at most as many bytes as UTF-8; a "?" or 0xFF 0xFF per byte at most.
  Secret text;
  text.Reserve(utf8.size() * 2 + 2);
  if (!Convert(utf8, lacking, text)) return false;
  *out = std::move(text);
  return true;
}

}  // namespace qz
