#include "pointer.h"

#include <commctrl.h>

#include "remote_memory.h"
#include "shared.h"
#include "window_find.h"

namespace qz::e2e {

namespace {

constexpr UINT kSendTimeoutMs = 5000;
// Well inside the double-click time, and long enough for each press to be seen apart.
constexpr DWORD kClickGapMs = 60;
constexpr DWORD kSettleMs = 100;

bool MoveTo(POINT screen) {
  if (!SetCursorPos(screen.x, screen.y)) return false;
  // The cursor may take a moment to arrive through the display driver.
  return WaitUntil(
      [&] {
        POINT now{};
        return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
      },
      Millis(1000), Millis(10));
}

// Presses and releases at the cursor's position: no move flag, so no coordinate scaling.
bool Press(DWORD down, DWORD up) {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = down;
  inputs[1].mi.dwFlags = up;
  return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

}  // namespace

std::optional<RECT> ListItemScreenRect(HWND list, int index, int part) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  RemoteMemory memory(pid, sizeof(RECT));
  RECT rect{part, 0, 0, 0};
  DWORD_PTR ok = 0;
  if (!memory.ok() || !memory.Write(0, &rect, sizeof rect) ||
      !SendMessageTimeoutA(list, LVM_GETITEMRECT, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(memory.address()), SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &ok) ||
      !ok || !memory.Read(0, &rect, sizeof rect))
    return std::nullopt;
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

POINT Center(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

bool LeftClickAt(POINT screen) {
  return MoveTo(screen) && Press(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

bool LeftClickAt(POINT screen, std::initializer_list<WORD> modifiers) {
  if (!MoveTo(screen) || modifiers.size() > 3) return false;
  // The display's own events for the move come first: under Wine a crossing sets the
  // keyboard state from the display's, where no key is down, and would undo the keys.
  Sleep(kSettleMs);
  auto keys = [&](DWORD flags) {
    INPUT inputs[3] = {};
    UINT count = 0;
    for (WORD vk : modifiers) {
      inputs[count].type = INPUT_KEYBOARD;
      inputs[count].ki.wVk = vk;
      inputs[count].ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
      inputs[count++].ki.dwFlags = flags;
    }
    return SendInput(count, inputs, sizeof(INPUT)) == count;
  };
  // The button goes down only once the keys are seen down.
  const bool held = keys(0) && WaitUntil(
                                   [&] {
                                     for (WORD vk : modifiers)
                                       if (GetAsyncKeyState(vk) >= 0) return false;
                                     return true;
                                   },
                                   Millis(1000), Millis(5));
  const bool clicked = held && Press(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  return keys(KEYEVENTF_KEYUP) && clicked;
}

bool DoubleClickAt(POINT screen) {
  if (!MoveTo(screen) || !Press(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP)) return false;
  Sleep(kClickGapMs);
  return Press(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

bool RightClickAt(POINT screen) {
  return MoveTo(screen) && Press(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

HWND WaitForPopupMenu(DWORD pid, Millis timeout) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FirstVisible(TopLevelWindows(pid), OfClass(kPopupMenuClass));
        return found != nullptr;
      },
      timeout);
  return found;
}

}  // namespace qz::e2e
