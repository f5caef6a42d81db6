// Mouse input as a user gives it: the cursor is moved onto a point of the screen and the
// buttons go through the system's input queue, so the window under the point gets the
// clicks with the real hit-testing, double-click timing and capture.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>

#include "shared.h"

namespace qz::e2e {

// The rectangle of list item `index` in screen coordinates; `part` is LVIR_BOUNDS,
// LVIR_ICON or LVIR_LABEL. nullopt when the list cannot be asked.
std::optional<RECT> ListItemScreenRect(HWND list, int index, int part);

POINT Center(const RECT& rect);

bool LeftClickAt(POINT screen);
// A left click with the modifiers (VK_CONTROL, VK_SHIFT) held down.
bool LeftClickAt(POINT screen, std::initializer_list<WORD> modifiers);
bool DoubleClickAt(POINT screen);
bool RightClickAt(POINT screen);

// The popup menu window ("#32768") that `pid` shows; null when none appears in time.
HWND WaitForPopupMenu(DWORD pid, Millis timeout);

}  // namespace qz::e2e
