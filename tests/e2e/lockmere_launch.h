// Starting the program under test and waiting until its main window is up.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include "harness/process.h"

namespace qz::e2e {

// Wine starts a process in about a second on an idle machine; a loaded one needs longer.
constexpr Millis kStartTimeout(30000);
// Esc and the close box end the program: its end is waited for without a bound (a hang
// ends at ctest's time-out), since a loaded machine may take any time to get there.
constexpr Millis kPromptExit(INFINITE);

std::string LockmerePath();
unsigned short ProductPort();

// Starts Lockmere.exe into `process` and finds its main window.
::testing::AssertionResult LaunchLockmere(ProgramProcess& process, HWND* main_window);
// The same with arguments on its command line, started in `directory` ("": the test's).
::testing::AssertionResult LaunchLockmere(ProgramProcess& process, HWND* main_window,
                                          const std::wstring& arguments, const std::wstring& directory);

// Removes the settings a program started from here keeps, for a first start.
inline void ForgetSettings() { DeleteFileW((std::wstring(_wgetenv(L"APPDATA")) + L"\\Lockmere\\Lockmere.ini").c_str()); }

// Waits for the process to end; a hung process is killed and reported.
::testing::AssertionResult EndsWithin(ProgramProcess& process, Millis timeout,
                                      const char* after_what);

}  // namespace qz::e2e
