#include "message_box.h"

#include "app.h"
#include "legible_font.h"
#include "text_conversion.h"

namespace {

// A message box is made legible as it appears: a hook for this thread while it is up.
thread_local HHOOK t_legibleHook = nullptr;

LRESULT CALLBACK OnBoxAppearing(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    ::GetClassNameW(box, className, 16);
    if (lstrcmpW(className, L"#32770") == 0) {
      MakeMessageBoxLegible(box);
      ::UnhookWindowsHookEx(t_legibleHook);
      t_legibleHook = nullptr;
      return 0;
    }
  }
  return ::CallNextHookEx(t_legibleHook, code, wParam, lParam);
}

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
  if (!t_legibleHook) t_legibleHook = ::SetWindowsHookExW(WH_CBT, OnBoxAppearing, nullptr, ::GetCurrentThreadId());
  const int answer = MessageBoxW(owner, text.c_str(), caption.c_str(), type);
  if (t_legibleHook) ::UnhookWindowsHookEx(t_legibleHook);
  t_legibleHook = nullptr;
  return answer;
}

int AfxMessageBox(const std::wstring& text, UINT type) {
  if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
  return ShowMessageBox(DefaultOwner(), text, Utf8ToWide(AfxGetAppName()), type);
}

int AfxMessageBox(const char* text, UINT type) { return AfxMessageBox(Utf8ToWide(text), type); }
