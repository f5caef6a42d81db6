// User actions sent to the program from outside: clicks, keys and the close box.
#pragma once

#include <windows.h>

namespace qz::e2e {

// Posts BM_CLICK to the dialog's button `id` (posted, since a click may open a modal
// window and a sent message would then not return).
bool ClickButton(HWND dialog, int id);
// Posts Esc to the control that has the focus in the dialog's thread, or to the dialog.
bool PressEscape(HWND dialog);
// The title bar's close box.
bool CloseBox(HWND dialog);

}  // namespace qz::e2e
