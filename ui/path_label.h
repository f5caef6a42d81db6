// The main window's path label.
#pragma once

#include <windows.h>

#include <string>

// The label's text for dir: the whole path when it fits the label, else its first folder
// and the folder shown around "...", so that a long path still says where the list is.
// Only the screen gets it: the commands use the full path.
std::wstring PathLabelText(HWND label, const std::string& dir);
