// The system calls through which a link opens its URL or asks for the application's
// help. Tests replace them, so that nothing leaves the machine.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

struct LinkSystemCalls {
  // ShellExecuteA: owner, verb, file, parameters, directory, show command.
  std::function<HINSTANCE(HWND, const char*, const char*, const char*, const char*, int)> shellExecute;
  // WinExec: command line, show command.
  std::function<UINT(const char*, UINT)> winExec;
  // The application's help: owner window, context and HELP_xxx command.
  std::function<void(HWND, ULONG_PTR, UINT)> showHelp;
};

// The calls in use: the system's own unless a test changed them.
LinkSystemCalls& LinkCalls();
// The system's own calls.
LinkSystemCalls SystemLinkCalls();

// A failure code of LaunchLinkUrl of its own: the registered browser's command line and
// the URL do not fit the command buffer together.
inline constexpr int kLinkCommandTooLong = 24;
inline constexpr std::size_t kLinkCommandBufferSize = 520;

// Opens url (ANSI) through the shell, else through the browser registered for ".htm":
// above 32 on success, an error code of 32 or less on failure.
INT_PTR LaunchLinkUrl(const char* url, int showCommand);
// The default value of root\subKey into out (outSize bytes): 0, or the error. The
// value must exist, be a string and fit; out is left alone otherwise.
LONG QueryClassKey(HKEY root, const char* subKey, char* out, std::size_t outSize);
// The box for a link that could not be opened, and its reason text (UTF-8).
void ShowLinkOpenError(int error);
std::string LinkOpenErrorText(int error);
