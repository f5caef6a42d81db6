#include "input.h"

namespace qz::e2e {

bool ClickButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button && PostMessageW(button, BM_CLICK, 0, 0);
}

bool PressEscape(HWND dialog) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND target = dialog;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus &&
      (info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus)))
    target = info.hwndFocus;
  const LPARAM down = 1 | (static_cast<LPARAM>(MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC)) << 16);
  const LPARAM up = down | (1LL << 30) | (1LL << 31);
  return PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, down) &&
         PostMessageW(target, WM_KEYUP, VK_ESCAPE, up);
}

bool CloseBox(HWND dialog) { return PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

}  // namespace qz::e2e
