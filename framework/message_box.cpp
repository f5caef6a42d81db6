#include "message_box.h"

#include <commctrl.h>

#include "sent_messages.h"
#include "text_conversion.h"
#include "wnd.h"

namespace {

const std::string& (*g_appName)() = nullptr;
HWND (*g_mainWindow)() = nullptr;
void (*g_appearing)(HWND box) = nullptr;

// A box is seen as it appears, by the program and to end without a hide: a hook for this
// thread while it is up.
thread_local HHOOK t_appearingHook = nullptr;

constexpr UINT_PTR kUnhiddenSubclass = 0x517B;

// The box ends its dialog with a hide, which would wait as DestroyWithoutHiding explains:
// it is marked hidden instead, and goes from the screen as MessageBox destroys it.
LRESULT CALLBACK GoesWithoutHiding(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_WINDOWPOSCHANGING && (reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW)) {
    reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_HIDEWINDOW;
    MarkHiddenWithoutHiding(box);
  }
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(box, &GoesWithoutHiding, kUnhiddenSubclass);
  return ::DefSubclassProc(box, message, wParam, lParam);
}

LRESULT CALLBACK OnBoxAppearing(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    ::GetClassNameW(box, className, 16);
    if (lstrcmpW(className, L"#32770") == 0) {
      ::SetWindowSubclass(box, &GoesWithoutHiding, kUnhiddenSubclass, 0);
      if (g_appearing) g_appearing(box);
      ::UnhookWindowsHookEx(t_appearingHook);
      t_appearingHook = nullptr;
      return 0;
    }
  }
  return ::CallNextHookEx(t_appearingHook, code, wParam, lParam);
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
  HWND main = g_mainWindow ? g_mainWindow() : nullptr;
  return main ? GetLastActivePopup(main) : nullptr;
}

}  // namespace

void SetMessageBoxApplication(const std::string& (*appName)(), HWND (*mainWindow)()) {
  g_appName = appName;
  g_mainWindow = mainWindow;
}

void SetMessageBoxAppearing(void (*appearing)(HWND box)) { g_appearing = appearing; }

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                   UINT type) {
  if (Hook()) return Hook()(MessageBoxRequest{owner, WideToUtf8(text), WideToUtf8(caption), type});
  if (!t_appearingHook) t_appearingHook = ::SetWindowsHookExW(WH_CBT, OnBoxAppearing, nullptr, ::GetCurrentThreadId());
  SentMessagesAnswered answered;  // while the box is made, and while it is up
  const int answer = MessageBoxW(owner, text.c_str(), caption.c_str(), type);
  if (t_appearingHook) ::UnhookWindowsHookEx(t_appearingHook);
  t_appearingHook = nullptr;
  return answer;
}

int AfxMessageBox(const std::wstring& text, UINT type) {
  if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
  return ShowMessageBox(DefaultOwner(), text, Utf8ToWide(g_appName ? g_appName() : std::string()), type);
}

int AfxMessageBox(const char* text, UINT type) { return AfxMessageBox(Utf8ToWide(text), type); }

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
  return ShowMessageBox(m_hWnd, Utf8ToWide(text), Utf8ToWide(caption), type);
}
