#include "input.h"

#include <iterator>

#include "shared.h"

namespace qz::e2e {

bool ClickButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button && PostMessageW(button, BM_CLICK, 0, 0);
}

bool PressEscape(HWND dialog) {
  HWND target = dialog;
  const HWND focus = FocusOf(dialog);
  if (focus && (focus == dialog || IsChild(dialog, focus))) target = focus;
  const LPARAM down = 1 | (static_cast<LPARAM>(MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC)) << 16);
  const LPARAM up = down | (1LL << 30) | (1LL << 31);
  return PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, down) &&
         PostMessageW(target, WM_KEYUP, VK_ESCAPE, up);
}

bool CloseBox(HWND dialog) { return PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

namespace {

INPUT Key(WORD vk, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

}  // namespace

bool PressKeyAtKeyboard(WORD vk, std::initializer_list<WORD> modifiers) {
  INPUT inputs[8];
  if (modifiers.size() > 3) return false;
  UINT count = 0;
  for (WORD modifier : modifiers) inputs[count++] = Key(modifier, false);
  // The grey keys beside the main block send extended scan codes.
  const DWORD extended = vk == VK_APPS || (vk >= VK_PRIOR && vk <= VK_DOWN) ? KEYEVENTF_EXTENDEDKEY : 0;
  inputs[count] = Key(vk, false);
  inputs[count++].ki.dwFlags |= extended;
  inputs[count] = Key(vk, true);
  inputs[count++].ki.dwFlags |= extended;
  for (auto modifier = std::rbegin(modifiers); modifier != std::rend(modifiers); ++modifier)
    inputs[count++] = Key(*modifier, true);
  return SendInput(count, inputs, sizeof(INPUT)) == count;
}

bool TypeAtKeyboard(const std::wstring& text) {
  for (wchar_t c : text) {
    WORD vk = 0;
    bool shift = false;
    if (c == L'\t') {
      vk = VK_TAB;
    } else if (c == L'\n') {
      vk = VK_RETURN;
    } else {
      const SHORT scan = VkKeyScanW(c);
      if (scan == -1) {
        // No key of the layout makes it: sent as the character itself, as an input method does.
        INPUT packet[2] = {};
        for (int i = 0; i < 2; ++i) {
          packet[i].type = INPUT_KEYBOARD;
          packet[i].ki.wScan = c;
          packet[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        if (SendInput(2, packet, sizeof(INPUT)) != 2) return false;
        Sleep(15);
        continue;
      }
      vk = LOBYTE(scan);
      shift = (HIBYTE(scan) & 1) != 0;
    }
    INPUT inputs[4];
    UINT count = 0;
    if (shift) inputs[count++] = Key(VK_SHIFT, false);
    inputs[count++] = Key(vk, false);
    inputs[count++] = Key(vk, true);
    if (shift) inputs[count++] = Key(VK_SHIFT, true);
    if (SendInput(count, inputs, sizeof(INPUT)) != count) return false;
    Sleep(15);  // each key seen apart, as a person types
  }
  return true;
}

}  // namespace qz::e2e
