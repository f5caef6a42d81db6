#include "win_path.h"

#include <windows.h>

#include "secure_wipe.h"

namespace qz {

std::wstring WidePath(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, &wide[0], length);
  return wide;
}

std::string Utf8Path(const wchar_t* wide) {
  // An unpaired surrogate has no UTF-8 form: its replacement would name another file.
  const int length = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return std::string();
  std::string utf8(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], length, nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(length - 1));
  return utf8;
}

namespace {

constexpr UINT kCodePage936 = 936;

// False when a character has no code page 936 form.
bool Convert936(const wchar_t* wide, int length, std::string* out) {
  BOOL usedDefault = FALSE;
  const int size = ::WideCharToMultiByte(kCodePage936, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr,
                                         &usedDefault);
  if (size <= 0 || usedDefault) return false;
  const std::size_t at = out->size();
  out->resize(at + static_cast<std::size_t>(size));
  ::WideCharToMultiByte(kCodePage936, WC_NO_BEST_FIT_CHARS, wide, length, &(*out)[at], size, nullptr, nullptr);
  return true;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::string ToCodePage936(const std::string& utf8, const std::string& lacking) {
  const std::wstring wide = WidePath(utf8);
  if (wide.empty()) return utf8;
  std::string text;
  if (Convert936(wide.data(), static_cast<int>(wide.size()), &text)) return text;
  // Some character is lacking: one at a time, so that each becomes one `lacking`.
  text.clear();
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const int units = IsHighSurrogate(wide[i]) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1]) ? 2 : 1;
    if (!Convert936(&wide[i], units, &text)) text += lacking;
    i += static_cast<std::size_t>(units - 1);
  }
  return text;
}

bool ToCodePage936(const std::string& utf8, Lacking, std::string* out) {
  if (utf8.empty()) {
    out->clear();
    return true;
  }
  std::wstring wide = WidePath(utf8);
  std::string text;
  const bool converted = !wide.empty() && Convert936(wide.data(), static_cast<int>(wide.size()), &text);
  if (!wide.empty()) SecureWipe(&wide[0], wide.size() * sizeof(wchar_t));
  if (!converted) {
    SecureWipe(&text);
    return false;
  }
  SecureWipe(out);
  out->swap(text);
  return true;
}

}  // namespace qz
