#include "fs/win_path.h"

#include <windows.h>

namespace qz {

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "C:\..." or "\\server\...": what the system resolves without the current folder.
bool IsFullyQualified(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])) return true;
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

}  // namespace

std::wstring LongPathForm(const std::wstring& wide) {
  // Already in a form the system takes as it is ("\\?\", "\\.\" for devices, "\??\").
  if (wide.size() >= 4 && IsSeparator(wide[0]) && (wide[2] == L'?' || wide[2] == L'.') && IsSeparator(wide[3]) &&
      (IsSeparator(wide[1]) || wide[1] == L'?'))
    return wide;
  if (wide.size() < MAX_PATH && IsFullyQualified(wide)) return wide;
  // The long-path form skips the system's own resolution ("." and "..", "/", trailing dots
  // and spaces), so that resolution is done here first, as any other path gets it.
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0 || (needed <= MAX_PATH && wide.size() < MAX_PATH)) return wide;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return wide;
  full.resize(length);
  if (StartsWith(full, L"\\\\?\\") || StartsWith(full, L"\\\\.\\")) return full;  // a device name
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return wide;
}

std::wstring WidePath(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, &wide[0], length);
  return LongPathForm(wide);
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

}  // namespace qz
