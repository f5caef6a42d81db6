#include "password_input.h"

#include <cerrno>
#include <cstring>

#include "interrupt.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <algorithm>

#include "crypto/secure_wipe.h"
#include "fs/win_path.h"
#include "wide_text.h"
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace qzcli {

namespace {

// Far beyond the longest usable password; guards against reading a whole big file.
constexpr std::size_t kMaxLineBytes = 64 * 1024;
constexpr int kInterruptCheckMs = 100;

const char kTooLong[] = "the password line is too long";

// Drops a CR that ended the line along with its LF (or alone at the end of a file).
void DropCarriageReturn(qz::Secret* line) {
  if (!line->empty() && line->data()[line->size() - 1] == '\r') line->Truncate(line->size() - 1);
}

// Reads bytes up to the first "\n" (not kept) or the end. False when the line is
// too long or the stream fails.
bool ReadLine(std::FILE* stream, qz::Secret* line, std::string* error) {
  line->Clear();
  for (;;) {
    const int c = std::fgetc(stream);
    if (c == EOF) break;
    if (c == '\n') {
      DropCarriageReturn(line);
      return true;
    }
    if (line->size() >= kMaxLineBytes) {
      *error = kTooLong;
      return false;
    }
    line->Append(static_cast<char>(c));
  }
  if (std::ferror(stream)) {
    *error = std::strerror(errno);
    return false;
  }
  // A last line ending in a lone CR (an editor's line end) ends as one ending in CRLF.
  DropCarriageReturn(line);
  return true;
}

#ifndef _WIN32

class Terminal {
 public:
  Terminal() { fd_ = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC); }
  ~Terminal() {
    RestoreEcho();
    if (fd_ >= 0) ::close(fd_);
  }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  bool ok() const { return fd_ >= 0; }

  void Write(const char* text) {
    std::size_t left = std::strlen(text);
    while (left > 0) {
      const ssize_t n = ::write(fd_, text, left);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      text += n;
      left -= static_cast<std::size_t>(n);
    }
  }

  bool DisableEcho() {
    if (::tcgetattr(fd_, &saved_) != 0) return false;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    if (::tcsetattr(fd_, TCSAFLUSH, &quiet) != 0) return false;
    echoOff_ = true;
    return true;
  }

  void RestoreEcho() {
    if (echoOff_) ::tcsetattr(fd_, TCSAFLUSH, &saved_);
    echoOff_ = false;
  }

  // Ctrl-C ends the prompt and the terminal gets its echo back. poll() returns on a
  // signal even when read() would be restarted; the short timeout covers a signal
  // that lands just before poll() is entered.
  PasswordStatus ReadLine(qz::Secret* line, std::string* error) {
    line->Clear();
    for (;;) {
      pollfd pfd{fd_, POLLIN, 0};
      const int ready = ::poll(&pfd, 1, kInterruptCheckMs);
      if (Interrupted()) return PasswordStatus::kInterrupted;
      if (ready == 0) continue;
      if (ready < 0) {
        if (errno == EINTR) continue;
        *error = std::strerror(errno);
        return PasswordStatus::kError;
      }
      char c = 0;
      const ssize_t n = ::read(fd_, &c, 1);
      if (n < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        *error = std::strerror(errno);
        return PasswordStatus::kError;
      }
      if (n == 0) {
        *error = "no password entered (end of input)";
        return PasswordStatus::kError;
      }
      if (c == '\n') {
        DropCarriageReturn(line);
        return PasswordStatus::kOk;
      }
      if (line->size() >= kMaxLineBytes) {
        *error = kTooLong;
        return PasswordStatus::kError;
      }
      line->Append(c);
      c = 0;
    }
  }

 private:
  int fd_ = -1;
  termios saved_{};
  bool echoOff_ = false;
};

#else

// A line typed at the console, as UTF-8: read wide, so that any character arrives as
// typed whatever the console's code page. The wide text stays in guarded memory.
PasswordStatus ReadConsoleLine(HANDLE in, qz::Secret* line, std::string* error) {
  line->Clear();
  qz::Secret typed;  // UTF-16
  wchar_t chunk[64];
  qz::WipeOnExit<wchar_t[64]> wipeChunk(chunk);
  for (;;) {
    DWORD n = 0;
    const BOOL ok = ReadConsoleW(in, chunk, static_cast<DWORD>(sizeof(chunk) / sizeof(chunk[0])),
                                 &n, nullptr);
    // Ctrl-C's handler runs on a thread of its own, possibly after the read has ended.
    if ((!ok || n == 0) && !Interrupted()) Sleep(kInterruptCheckMs);
    if (Interrupted()) return PasswordStatus::kInterrupted;
    if (!ok || n == 0) {
      *error = "no password entered (end of input)";
      return PasswordStatus::kError;
    }
    typed.Append(chunk, n * sizeof(wchar_t));
    const wchar_t* const wide = typed.wchars();
    const std::size_t units = typed.size() / sizeof(wchar_t);
    const std::size_t end = static_cast<std::size_t>(std::find(wide, wide + units, L'\n') - wide);
    if (end < units) {
      const std::size_t length = end > 0 && wide[end - 1] == L'\r' ? end - 1 : end;
      Utf8Text(wide, length, line);
      return PasswordStatus::kOk;
    }
    if (units >= kMaxLineBytes) {
      *error = kTooLong;
      return PasswordStatus::kError;
    }
  }
}

class Terminal {
 public:
  Terminal() {
    in_ = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    out_ = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
  }
  ~Terminal() {
    RestoreEcho();
    if (in_ != INVALID_HANDLE_VALUE) CloseHandle(in_);
    if (out_ != INVALID_HANDLE_VALUE) CloseHandle(out_);
  }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  bool ok() const { return in_ != INVALID_HANDLE_VALUE && out_ != INVALID_HANDLE_VALUE; }

  void Write(const char* text) {
    DWORD written = 0;
    WriteFile(out_, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
  }

  bool DisableEcho() {
    if (!GetConsoleMode(in_, &saved_)) return false;
    const DWORD quiet = (saved_ & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT;
    if (!SetConsoleMode(in_, quiet)) return false;
    echoOff_ = true;
    return true;
  }

  void RestoreEcho() {
    if (echoOff_) SetConsoleMode(in_, saved_);
    echoOff_ = false;
  }

  PasswordStatus ReadLine(qz::Secret* line, std::string* error) {
    const PasswordStatus status = ReadConsoleLine(in_, line, error);
    // The echo that was switched off would have ended the line.
    if (status == PasswordStatus::kOk) Write("\r\n");
    return status;
  }

 private:
  HANDLE in_ = INVALID_HANDLE_VALUE;
  HANDLE out_ = INVALID_HANDLE_VALUE;
  DWORD saved_ = 0;
  bool echoOff_ = false;
};

#endif

PasswordStatus Ask(Terminal& terminal, const char* prompt, qz::Secret* line, std::string* error) {
  terminal.Write(prompt);
  const PasswordStatus status = terminal.ReadLine(line, error);
  if (status == PasswordStatus::kInterrupted) terminal.Write("\n");
  return status;
}

}  // namespace

PasswordStatus ReadPasswordFile(const std::string& path, qz::Secret* password, std::string* error) {
#ifdef _WIN32
  std::FILE* file = _wfopen(qz::WidePath(path).c_str(), L"rb");
#else
  std::FILE* file = std::fopen(path.c_str(), "rb");
#endif
  if (!file) {
    *error = "cannot read the password file " + path + ": " + std::strerror(errno);
    return PasswordStatus::kError;
  }
  // Unbuffered: the bytes go from the file straight into the secret, leaving no copy in
  // a buffer that is freed unwiped.
  std::setvbuf(file, nullptr, _IONBF, 0);
  std::string reason;
  const bool ok = ReadLine(file, password, &reason);
  std::fclose(file);
  if (!ok) {
    *error = "cannot read the password file " + path + ": " + reason;
    return PasswordStatus::kError;
  }
  return PasswordStatus::kOk;
}

PasswordStatus ReadPasswordStream(std::FILE* stream, qz::Secret* password, std::string* error) {
  std::string reason;
#ifdef _WIN32
  // At the console the bytes would be its code page's; a pipe keeps the byte rule.
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    const PasswordStatus status = ReadConsoleLine(handle, password, &reason);
    if (status == PasswordStatus::kError) {
      *error = "cannot read the password from standard input: " + reason;
    }
    return status;
  }
#endif
  // Nothing has read the stream before: unbuffered, it keeps no copy of the line.
  std::setvbuf(stream, nullptr, _IONBF, 0);
  if (!ReadLine(stream, password, &reason)) {
    *error = "cannot read the password from standard input: " + reason;
    return PasswordStatus::kError;
  }
  return PasswordStatus::kOk;
}

PasswordStatus PromptPassword(bool confirm, qz::Secret* password, std::string* error) {
  Terminal terminal;
  if (!terminal.ok()) {
    *error = "no terminal to ask for the password on; use --password-file or --password-stdin";
    return PasswordStatus::kError;
  }
  if (!terminal.DisableEcho()) {
    *error = "cannot switch off the terminal's echo to ask for the password";
    return PasswordStatus::kError;
  }
  for (;;) {
    PasswordStatus status = Ask(terminal, "Password: ", password, error);
    if (status != PasswordStatus::kOk || !confirm) return status;
    qz::Secret again;
    status = Ask(terminal, "Repeat the password: ", &again, error);
    if (status != PasswordStatus::kOk) return status;
    if (again.Equals(*password)) return PasswordStatus::kOk;
    password->Clear();
    terminal.Write("The passwords do not match. Try again.\n");
  }
}

void KeepOutOfCoreDumps() {
#ifndef _WIN32
  const rlimit none = {0, 0};
  ::setrlimit(RLIMIT_CORE, &none);
#endif
#ifdef __linux__
  // Also no reading of this process's memory by others of the same user (ptrace, /proc).
  ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}

}  // namespace qzcli
