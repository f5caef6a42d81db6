// The system calls through which a link opens its URL or asks for the application's
// help. Tests replace them, so that nothing leaves the machine.
#pragma once

#include <windows.h>

#include <functional>

struct LinkSystemCalls {
  // ShellExecuteA: owner, verb, file, parameters, directory, show command.
  std::function<HINSTANCE(HWND, const char*, const char*, const char*, const char*, int)> shellExecute;
  // WinExec: command line, show command.
  std::function<UINT(const char*, UINT)> winExec;
  // The application's help: context and HELP_xxx command.
  std::function<void(ULONG_PTR, UINT)> showHelp;
};

// The calls in use: the system's own unless a test changed them.
LinkSystemCalls& LinkCalls();
// The system's own calls.
LinkSystemCalls SystemLinkCalls();
