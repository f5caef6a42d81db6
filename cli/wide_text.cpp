#include "wide_text.h"

#ifdef _WIN32

#include <windows.h>

#include <utility>

namespace qzcli {

std::wstring WideText(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, &wide[0], length);
  return wide;
}

void WideText(std::string_view utf8, qz::Secret* wide) {
  wide->Clear();
  if (utf8.empty()) return;
  const int size = static_cast<int>(utf8.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (length <= 0) return;
  qz::Secret text(static_cast<std::size_t>(length) * sizeof(wchar_t));
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.wchars(), length);
  *wide = std::move(text);
}

std::string Utf8Text(const wchar_t* wide, std::size_t length) {
  if (length == 0) return std::string();
  const int size = static_cast<int>(length);
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide, size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, size, &utf8[0], bytes, nullptr, nullptr);
  return utf8;
}

void Utf8Text(const wchar_t* wide, std::size_t length, qz::Secret* utf8) {
  utf8->Clear();
  if (length == 0) return;
  const int size = static_cast<int>(length);
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide, size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return;
  qz::Secret text(static_cast<std::size_t>(bytes));
  ::WideCharToMultiByte(CP_UTF8, 0, wide, size, text.chars(), bytes, nullptr, nullptr);
  *utf8 = std::move(text);
}

}  // namespace qzcli

#endif
