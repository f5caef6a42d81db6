#include "wnd.h"

#include <atomic>
#include <string>
#include <exception>
#include <new>

#include "handle_map.h"
#include "sent_messages.h"
#include "text_conversion.h"

namespace {

using WindowMap = HandleMap<HWND, CWnd>;

std::atomic<CWnd::UnhandledMessageHandler> g_unhandled{nullptr};
std::atomic<CWnd::EscapedErrorReporter> g_reporter{nullptr};

struct CurrentMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
thread_local CurrentMessage t_current = {};

bool IsColorMessage(UINT message) {
  return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

}  // namespace

CWnd::~CWnd() {
  if (m_hWnd) {
    if (m_pfnSuper) UnsubclassWindow();
    else Detach();
  }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) { return WindowMap::FromHandle(hwnd); }

BOOL CWnd::Attach(HWND hwnd) { return WindowMap::Attach(this, m_hWnd, hwnd); }

HWND CWnd::Detach() { return WindowMap::Detach(m_hWnd); }

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!Attach(hwnd)) return FALSE;
  PreSubclassWindow();
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  if (!m_pfnSuper) {
    Detach();
    return FALSE;
  }
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
  return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  if (m_hWnd && m_pfnSuper)
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  return Detach();
}

BOOL CWnd::WalkPreTranslateTree(MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (wnd && wnd->PreTranslateMessage(msg)) return TRUE;
  }
  return FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

void CWnd::SetWindowText(const std::wstring& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }

void CWnd::SetWindowTextUtf8(const std::string& text) { SetWindowText(Utf8ToWide(text)); }

std::wstring CWnd::GetWindowTextWide() const {
  int length = ::GetWindowTextLengthW(m_hWnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = ::GetWindowTextW(m_hWnd, &text[0], length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

std::string CWnd::GetWindowTextUtf8() const { return WideToUtf8(GetWindowTextWide()); }

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
  DWORD style = GetStyle();
  DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
  if (swpFlags)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
  return TRUE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

void MarkHiddenWithoutHiding(HWND window) {
  HWND owner = ::GetWindow(window, GW_OWNER);
  RECT covered{};
  const bool shown = ::IsWindowVisible(window) && ::GetWindowRect(window, &covered);
  // No longer visible as far as the system knows, so neither DestroyWindow nor a later
  // SetWindowPos hides it; the window goes from the screen as it is destroyed.
  ::SetWindowLongPtrW(window, GWL_STYLE, ::GetWindowLongPtrW(window, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE));
  if (shown && owner) {
    ::MapWindowPoints(nullptr, owner, reinterpret_cast<POINT*>(&covered), 2);
    ::RedrawWindow(owner, &covered, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

BOOL DestroyWithoutHiding(HWND window) {
  SentMessagesAnswered answered;
  MarkHiddenWithoutHiding(window);
  return ::DestroyWindow(window);
}

const MessageMap* CWnd::GetThisMessageMap() {
  static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
  static const MessageMap map = {nullptr, entries};
  return &map;
}

const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

bool CWnd::DispatchToMap(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam,
                         LRESULT* result) {
  for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
    for (const MessageMapEntry* entry = map->entries; entry->handler; ++entry) {
      if (entry->message != message || entry->code != code || entry->id != id) continue;
      if (entry->handler(this, wParam, lParam, result)) return true;
    }
  }
  return false;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_COMMAND)
    return DispatchToMap(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0, wParam, lParam, result);
  if (message == WM_NOTIFY) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    return DispatchToMap(WM_REFLECT_BASE + WM_NOTIFY, header->code, 0, wParam, lParam, result);
  }
  if (IsColorMessage(message))
    return DispatchToMap(WM_REFLECT_BASE + WM_CTLCOLORSTATIC, 0, 0, wParam,
                         static_cast<LPARAM>(message - WM_CTLCOLORMSGBOX), result);
  return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DispatchToMap(WM_COMMAND, HIWORD(wParam), LOWORD(wParam), wParam, lParam, result);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  // A control answers its own notifications first.
  HWND child = nullptr;
  if (message == WM_COMMAND || IsColorMessage(message))
    child = reinterpret_cast<HWND>(lParam);
  else if (message == WM_NOTIFY)
    child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
  if (child && child != m_hWnd) {
    CWnd* control = FromHandlePermanent(child);
    if (control && control->OnChildNotify(message, wParam, lParam, result)) return TRUE;
  }

  if (message == WM_COMMAND) return OnCommand(wParam, lParam, result);
  if (message == WM_NOTIFY) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    return DispatchToMap(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), wParam,
                         lParam, result);
  }
  if (DispatchToMap(message, 0, 0, wParam, lParam, result)) return TRUE;
  UnhandledMessageHandler unhandled = g_unhandled.load(std::memory_order_acquire);
  return unhandled && unhandled(m_hWnd, message, wParam, lParam, result);
}

void CWnd::SetUnhandledMessageHandler(UnhandledMessageHandler handler) {
  g_unhandled.store(handler, std::memory_order_release);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result))
    result = DefWindowProc(message, wParam, lParam);
  return result;
}

void CWnd::OnFinalDestroy() {
  WNDPROC super = m_pfnSuper;
  HWND hwnd = m_hWnd;
  m_pfnSuper = nullptr;
  Detach();
  if (super) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
  PostNcDestroy();
}

CWnd::MessageScope::MessageScope(UINT message, WPARAM wParam, LPARAM lParam)
    : savedMessage(t_current.message), savedWParam(t_current.wParam), savedLParam(t_current.lParam) {
  t_current = {message, wParam, lParam};
}

CWnd::MessageScope::~MessageScope() { t_current = {savedMessage, savedWParam, savedLParam}; }

void CWnd::SetEscapedErrorReporter(EscapedErrorReporter reporter) {
  g_reporter.store(reporter, std::memory_order_release);
}

void CWnd::ReportEscapedError(std::exception_ptr error) {
  if (EscapedErrorReporter reporter = g_reporter.load(std::memory_order_acquire)) {
    try {
      reporter(error);
    } catch (...) {
      // Nothing may unwind through the system's dispatch code, a failed report neither.
    }
    return;
  }
  std::string what = "Unknown error.";
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& other) {
    what = other.what();
  } catch (...) {
  }
  ::MessageBoxW(nullptr, Utf8ToWide(what).c_str(), L"", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  if (!wnd) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = CWnd::CallGuarded(message, wParam, lParam,
                                     [&] { return wnd->WindowProc(message, wParam, lParam); });
  if (message == WM_NCDESTROY) wnd->OnFinalDestroy();
  return result;
}
