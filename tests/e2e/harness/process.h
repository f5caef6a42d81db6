// The program under test as a child process: started with a controlled environment,
// waited for with a deadline, and never left running after a test.
#pragma once

#include <windows.h>

#include <string>

#include "shared.h"

namespace qz::e2e {

class ProgramProcess {
 public:
  ProgramProcess() = default;
  // Terminates the process if it still runs, so a failed test leaves nothing behind.
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  // Starts `exe` (a Windows path). The child gets this process's environment without
  // proxy variables (WinINet would follow them away from loopback) and with
  // WINEDLLOVERRIDES disabling MSHTML, so that a run by hand behaves like one under CTest.
  // Returns false and fills `error` when the process cannot be started.
  bool Start(const std::string& exe, std::string* error);
  // The same with arguments after the program's quoted name, started in `directory`
  // ("": this process's own); an earlier process of this object must have ended.
  bool Start(const std::string& exe, const std::wstring& arguments, const std::wstring& directory,
             std::string* error);

  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }
  bool Running() const;
  // Waits for the process to end; false when it still runs after `timeout`.
  bool WaitForExit(Millis timeout);
  DWORD ExitCode() const;
  // Ends a hung process that this object started.
  void Kill();

 private:
  PROCESS_INFORMATION info_{};
};

// Unix paths from CMake become Wine paths on drive Z:.
std::string ToWindowsPath(const std::string& path);

}  // namespace qz::e2e
