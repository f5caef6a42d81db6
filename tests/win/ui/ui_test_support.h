// Driving the program's dialogs in-process: a dialog runs modally on the test's thread
// while a script on a second thread finds its window, sends it messages and ends it.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "dialog.h"

namespace uitest {

// Polls until done() holds; false after timeoutMs.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000);

// Runs dialog.DoModal() on this thread and script(dialog window) on another. A dialog
// the script leaves open is cancelled (and the test fails), so no test hangs.
INT_PTR RunModal(CDialog& dialog, const std::function<void(HWND)>& script);

// Returns once the dialog's thread has handled everything sent or posted before.
void Sync(HWND window);

// The keyboard focus of the thread that owns window.
HWND FocusOf(HWND window);
std::wstring TextOf(HWND window);

// Replaces the application's message boxes while it lives: records each text (UTF-8)
// and answers OK.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  std::vector<std::string> Texts() const;
  size_t Count() const { return Texts().size(); }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> texts_;
};

}  // namespace uitest
