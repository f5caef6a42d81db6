// User actions sent to the program from outside: clicks, keys and the close box.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace qz::e2e {

// Posts BM_CLICK to the dialog's button `id` (posted, since a click may open a modal
// window and a sent message would then not return).
bool ClickButton(HWND dialog, int id);
// Posts Esc to the control that has the focus in the dialog's thread, or to the dialog.
bool PressEscape(HWND dialog);
// The title bar's close box.
bool CloseBox(HWND dialog);
// Types text at the keyboard (through the display driver, to whatever has the focus):
// printable ASCII, with Shift where a character needs it; '\t' and '\n' are Tab and
// Enter; any other character as itself, as an input method sends it.
bool TypeAtKeyboard(const std::wstring& text);
// Presses and releases one key at the keyboard (a virtual-key code such as VK_F5 or
// VK_APPS) while the modifiers (VK_SHIFT, VK_CONTROL, VK_MENU) are held down.
bool PressKeyAtKeyboard(WORD vk, std::initializer_list<WORD> modifiers = {});

}  // namespace qz::e2e
