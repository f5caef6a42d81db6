// Finding windows and reading them, in this process or in another one of the prefix.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qz::wintest {

constexpr char kDialogClass[] = "#32770";
constexpr char kPopupMenuClass[] = "#32768";

// Top-level windows, visible or not, of process pid or of one thread.
std::vector<HWND> TopLevelWindows(DWORD pid);
std::vector<HWND> ThreadWindows(DWORD thread);

// The first visible one of windows for which match holds; null when there is none.
HWND FirstVisible(const std::vector<HWND>& windows, const std::function<bool(HWND)>& match);
// A match for FirstVisible: windows of the class name.
std::function<bool(HWND)> OfClass(const std::string& name);

std::string ClassName(HWND window);
// The window's text; empty on failure. A hung window fails the test instead of hanging it.
std::wstring TextOf(HWND window);
// The same as UTF-8, of the window or of the dialog's control id (none: empty).
std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);

// The keyboard focus of the thread that owns window.
HWND FocusOf(HWND window);

}  // namespace qz::wintest
