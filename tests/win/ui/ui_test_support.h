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

// Runs dialog.DoModal() on this thread and script(dialog window) on another. A dialog
// the script leaves open is cancelled (and the test fails), so no test hangs.
INT_PTR RunModal(CDialog& dialog, const std::function<void(HWND)>& script);

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
