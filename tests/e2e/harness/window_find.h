// Finding the program's windows: its main window and the message boxes it shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "shared.h"

namespace qz::e2e {

// The message box's text is the static control with this id.
constexpr int kMessageBoxTextId = 0xFFFF;

// The visible, unowned dialog of `pid` with the caption `caption` (UTF-8) that holds a
// control `marker_id`; null when it does not appear within `timeout`.
HWND WaitForDialog(DWORD pid, const std::string& caption, int marker_id, Millis timeout);

struct MessageBoxWindow {
  HWND window = nullptr;
  std::string caption;  // UTF-8
  std::string text;     // UTF-8
};

// Visible dialogs of `pid` other than `main_window` that carry a message-box text.
std::vector<MessageBoxWindow> MessageBoxes(DWORD pid, HWND main_window);
// The first message box of `pid` to appear within `timeout`; window null if none.
MessageBoxWindow WaitForMessageBox(DWORD pid, HWND main_window, Millis timeout);
// Presses the button `button_id` (IDOK, IDYES, IDNO...) of a message box.
bool AnswerMessageBox(const MessageBoxWindow& box, int button_id);

}  // namespace qz::e2e
