// The window wrapper: one CWnd object per window handle of this thread, found through
// the handle map; subclassing routes a window's messages through its object's message
// map, and notifications a control sends can come back to it (reflection).
#pragma once

#include <windows.h>

#include <exception>
#include <string>

#include "message_map.h"

// Destroys a top-level window as it stands, without hiding it first: under X11 with no
// window manager, Wine waits up to two seconds whenever a managed window is hidden, and
// the thread answers nothing meanwhile. What the window covered on its owner is drawn again.
BOOL DestroyWithoutHiding(HWND window);
// Its first half, for a window that another's code ends: marks it hidden without the hide.
void MarkHiddenWithoutHiding(HWND window);

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; }

  // Handle map: the object attached to a window of this thread, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);
  BOOL Attach(HWND hwnd);
  HWND Detach();

  // Routes the window's messages through WindowProc; the old procedure becomes the
  // default handling.
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();

  // Offers msg to the objects of msg->hwnd and its parents, innermost first.
  static BOOL WalkPreTranslateTree(MSG* msg);
  virtual BOOL PreTranslateMessage(MSG* msg);

  // Window text, as wide text or UTF-8.
  void SetWindowText(const std::wstring& text);
  void SetWindowTextUtf8(const std::string& text);
  std::string GetWindowTextUtf8() const;
  std::wstring GetWindowTextWide() const;

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
  }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  DWORD GetStyle() const { return static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
  void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
  void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
  BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
  }
  BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
  BOOL EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
  HWND SetFocus() { return ::SetFocus(m_hWnd); }
  BOOL DestroyWindow();

  // A message box owned by this window, with exactly this caption (both UTF-8). Part of
  // message_box.cpp: the window core itself shows no box.
  int MessageBox(const char* text, const char* caption, UINT type = MB_OK);

  // The message map's dispatch; false when no entry handled the message.
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Where a message goes that no map entry of a window handled, before its default
  // handling: another part of the framework installs itself here (menus answer the
  // owner-draw requests of their items), so that this core need not know it. One
  // handler for the process; true when it handled the message, *result is then its result.
  using UnhandledMessageHandler = BOOL (*)(HWND hwnd, UINT message, WPARAM wParam,
                                           LPARAM lParam, LRESULT* result);
  static void SetUnhandledMessageHandler(UnhandledMessageHandler handler);
  // Tells the user of an error that escaped a handler (see CallGuarded). The program
  // installs its own at start-up; without one the system's plain box shows the error.
  using EscapedErrorReporter = void (*)(std::exception_ptr error);
  static void SetEscapedErrorReporter(EscapedErrorReporter reporter);
  // A notification or colour request this control sent, handed back by its parent.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

 protected:
  static const MessageMap* GetThisMessageMap();
  virtual const MessageMap* GetMessageMap() const;

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The default handling of the message being dispatched now.
  LRESULT Default();
  virtual void PreSubclassWindow() {}
  // Called after the window's last message; the object may delete itself here.
  virtual void PostNcDestroy() {}
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result);

  bool DispatchToMap(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam,
                     LRESULT* result);
  // Runs a handler as the current message, turning an error that escapes it into the
  // reporter's box: errors must not unwind through the system's dispatch code.
  template <typename Call>
  static LRESULT CallGuarded(UINT message, WPARAM wParam, LPARAM lParam, Call&& call) {
    MessageScope scope(message, wParam, lParam);
    try {
      return call();
    } catch (...) {
      ReportEscapedError(std::current_exception());
      return 0;
    }
  }
  struct MessageScope {
    MessageScope(UINT message, WPARAM wParam, LPARAM lParam);
    ~MessageScope();
    UINT savedMessage;
    WPARAM savedWParam;
    LPARAM savedLParam;
  };
  static void ReportEscapedError(std::exception_ptr error);
  void OnFinalDestroy();

  friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  friend class CDialog;
  // The command-update step looks up ON_UPDATE_COMMAND_UI and ON_COMMAND entries.
  friend class CCmdUI;
  friend BOOL AfxHasCommandHandler(CWnd* target, UINT id);

  WNDPROC m_pfnSuper = nullptr;
};

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

