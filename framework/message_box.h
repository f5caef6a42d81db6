// The application message box: caption = the application's name, the exclamation icon
// when no icon is asked for. Tests install a hook that records each box and answers it.
// What the box needs of the application and of the program is installed, so that
// this file depends on neither.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

struct MessageBoxRequest {
  HWND owner;
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  UINT type;
};

using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;

// The application's name (UTF-8) for the caption, and its main window, which owns a box
// when no window of this thread is active. CWinApp installs both; unset: no caption,
// no owner.
void SetMessageBoxApplication(const std::string& (*appName)(), HWND (*mainWindow)());

// Called with each real box as it appears, before it shows (the program's font fix).
void SetMessageBoxAppearing(void (*appearing)(HWND box));

// Replaces every message box by a call of hook (pass nullptr to show real boxes again).
void SetMessageBoxHook(MessageBoxHook hook);

// Shows a box with exactly the given owner, caption and type (through the hook if set).
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                   UINT type);

int AfxMessageBox(const std::wstring& text, UINT type = MB_OK);
// text is UTF-8.
int AfxMessageBox(const char* text, UINT type = MB_OK);
