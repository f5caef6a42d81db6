#include "console_text.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "wide_text.h"
#endif

namespace qzcli {

void WriteText(std::FILE* stream, const std::string& utf8) {
#ifdef _WIN32
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
    std::fflush(stream);  // what went through the stream stays before this text
    const std::wstring wide = WideText(utf8);
    const wchar_t* text = wide.data();
    std::size_t left = wide.size();
    while (left > 0) {
      DWORD written = 0;
      if (!::WriteConsoleW(handle, text, static_cast<DWORD>(left), &written, nullptr) ||
          written == 0) {
        return;
      }
      text += written;
      left -= written;
    }
    return;
  }
  // Redirected: UTF-8, not the ANSI code page, which could not hold every name; a
  // script or log file then reads the same bytes on every system.
#endif
  std::fputs(utf8.c_str(), stream);
}

}  // namespace qzcli
