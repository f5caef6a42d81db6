// Texts and class names of windows in another process.
#pragma once

#include <windows.h>

#include <string>

namespace qz::e2e {

// The window's text as UTF-8 (read through WM_GETTEXT in UTF-16); empty on failure.
std::string WindowText(HWND window);
std::string ClassName(HWND window);
// The text of the dialog control `id` of `dialog`; empty when there is no such control.
std::string ControlText(HWND dialog, int id);

}  // namespace qz::e2e
