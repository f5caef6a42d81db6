#include "console_text.h"

#include "code_page.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "wide_text.h"
#endif

namespace qzcli {

namespace {

void AppendEscape(std::string* out, unsigned value) {
  static const char kHex[] = "0123456789abcdef";
  *out += "\\x";
  *out += kHex[(value >> 4) & 0xF];
  *out += kHex[value & 0xF];
}

#ifdef _WIN32

// The console a stream writes to, or INVALID_HANDLE_VALUE when it is redirected.
HANDLE ConsoleOf(std::FILE* stream) {
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : INVALID_HANDLE_VALUE;
}

void WriteConsoleText(std::FILE* stream, HANDLE console, const wchar_t* text, std::size_t left) {
  std::fflush(stream);  // what went through the stream stays before this text
  while (left > 0) {
    DWORD written = 0;
    if (!::WriteConsoleW(console, text, static_cast<DWORD>(left), &written, nullptr) || written == 0) {
      return;
    }
    text += written;
    left -= written;
  }
}

#endif

}  // namespace

std::string Escaped(const std::string& text) {
  const TextBytes bytes = LocaleTextBytes();
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
    if (c < 0x20 || c == 0x7F || (bytes == TextBytes::kSingleByte && c >= 0x80 && c <= 0x9F)) {
      AppendEscape(&shown, c);
    } else if (bytes == TextBytes::kUtf8 && c == 0xC2 && next >= 0x80 && next <= 0x9F) {
      AppendEscape(&shown, next);
      ++i;
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

void WriteText(std::FILE* stream, const std::string& utf8) {
#ifdef _WIN32
  const HANDLE handle = ConsoleOf(stream);
  if (handle != INVALID_HANDLE_VALUE) {
    const std::wstring wide = WideText(utf8);
    WriteConsoleText(stream, handle, wide.data(), wide.size());
    return;
  }
  // Redirected: UTF-8, not the ANSI code page, which could not hold every name; a
  // script or log file then reads the same bytes on every system.
#endif
  std::fputs(utf8.c_str(), stream);
}

void WriteText(std::FILE* stream, const qz::Secret& utf8) {
#ifdef _WIN32
  const HANDLE handle = ConsoleOf(stream);
  if (handle != INVALID_HANDLE_VALUE) {
    qz::Secret wide;
    WideText(utf8.view(), &wide);
    WriteConsoleText(stream, handle, wide.wchars(), wide.size() / sizeof(wchar_t));
    return;
  }
#endif
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace qzcli
