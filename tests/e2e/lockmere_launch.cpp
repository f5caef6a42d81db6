#include "lockmere_launch.h"

#include "harness/window_find.h"

namespace qz::e2e {

namespace {
constexpr char kCaption[] = "Lockmere";
constexpr int kFileListId = 1000;
}  // namespace

std::string LockmerePath() { return ToWindowsPath(QZ_LOCKMERE_EXE); }

unsigned short ProductPort() { return QZ_E2E_PORT; }

::testing::AssertionResult LaunchLockmere(ProgramProcess& process, HWND* main_window) {
  return LaunchLockmere(process, main_window, L"", L"");
}

::testing::AssertionResult LaunchLockmere(ProgramProcess& process, HWND* main_window,
                                          const std::wstring& arguments, const std::wstring& directory) {
  std::string error;
  if (!process.Start(LockmerePath(), arguments, directory, &error))
    return ::testing::AssertionFailure() << error;
  *main_window = WaitForDialog(process.id(), kCaption, kFileListId, kStartTimeout);
  if (*main_window) return ::testing::AssertionSuccess();
  const bool running = process.Running();
  const DWORD code = process.ExitCode();
  process.Kill();
  auto failure = ::testing::AssertionFailure()
                 << "no main window (\"#32770\", caption \"Lockmere\", list 1000) within "
                 << kStartTimeout.count() / 1000 << " s; ";
  if (running) return failure << "the process was still running and was killed";
  return failure << "the process ended with code " << code;
}

::testing::AssertionResult EndsWithin(ProgramProcess& process, Millis timeout,
                                      const char* after_what) {
  if (process.WaitForExit(timeout)) return ::testing::AssertionSuccess();
  process.Kill();
  return ::testing::AssertionFailure() << "the program still ran " << timeout.count()
                                       << " ms after " << after_what << "; it was killed";
  // (With kPromptExit there is no such time: only an ended wait returns.)
}

}  // namespace qz::e2e
