#include "window_find.h"

#include "shared.h"

namespace qz::e2e {

HWND WaitForDialog(DWORD pid, const std::string& caption, int marker_id, Millis timeout) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : TopLevelWindows(pid)) {
          if (IsWindowVisible(w) && !GetWindow(w, GW_OWNER) && ClassName(w) == kDialogClass &&
              GetDlgItem(w, marker_id) && WindowText(w) == caption) {
            found = w;
            return true;
          }
        }
        return false;
      },
      timeout, Millis(50));
  return found;
}

std::vector<MessageBoxWindow> MessageBoxes(DWORD pid, HWND main_window) {
  std::vector<MessageBoxWindow> boxes;
  for (HWND w : TopLevelWindows(pid)) {
    if (w == main_window || !IsWindowVisible(w) || ClassName(w) != kDialogClass) continue;
    if (!GetDlgItem(w, kMessageBoxTextId)) continue;
    boxes.push_back({w, WindowText(w), ControlText(w, kMessageBoxTextId)});
  }
  return boxes;
}

MessageBoxWindow WaitForMessageBox(DWORD pid, HWND main_window, Millis timeout) {
  MessageBoxWindow box;
  WaitUntil(
      [&] {
        auto boxes = MessageBoxes(pid, main_window);
        if (boxes.empty()) return false;
        box = boxes.front();
        return true;
      },
      timeout, Millis(50));
  return box;
}

bool AnswerMessageBox(const MessageBoxWindow& box, int button_id) {
  HWND button = GetDlgItem(box.window, button_id);
  return button && PostMessageW(button, BM_CLICK, 0, 0);
}

}  // namespace qz::e2e
