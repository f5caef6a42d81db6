#include "message_box.h"

#include "app.h"
#include "text_conversion.h"

namespace {

MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

// The active window of this thread, so that a box raised inside a dialog is owned by
// that dialog; otherwise the main window.
HWND DefaultOwner() {
  HWND active = GetActiveWindow();
  if (active && GetWindowThreadProcessId(active, nullptr) == GetCurrentThreadId())
    return active;
  HWND main = AfxGetMainWndHandle();
  return main ? GetLastActivePopup(main) : nullptr;
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                   UINT type) {
  if (Hook()) return Hook()(MessageBoxRequest{owner, WideToUtf8(text), WideToUtf8(caption), type});
  return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

int AfxMessageBox(const std::wstring& text, UINT type) {
  if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
  return ShowMessageBox(DefaultOwner(), text, AnsiToWide(AfxGetAppName()), type);
}

int AfxMessageBox(const char* text, UINT type) { return AfxMessageBox(Utf8ToWide(text), type); }
