#include "tooltip_ctrl.h"

#include <cstring>
#include <vector>

namespace {

TTTOOLINFOA ToolInfo(CWnd* parent, UINT toolId) {
  TTTOOLINFOA info = {};
  // Without the common controls 6 extension field, so older tooltips accept it too.
  info.cbSize = TTTOOLINFOA_V2_SIZE;
  info.hwnd = parent->m_hWnd;
  info.uId = toolId;
  return info;
}

}  // namespace

CToolTipCtrl::~CToolTipCtrl() {
  // The owner's destruction takes the tooltip with it; otherwise it goes here.
  if (m_hWnd) DestroyWindow();
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
  HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             parent ? parent->m_hWnd : nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (!tip) return FALSE;
  // Subclassed, so that the object learns when its owner destroys the window.
  if (!SubclassWindow(tip)) {
    ::DestroyWindow(tip);
    return FALSE;
  }
  return TRUE;
}

BOOL CToolTipCtrl::AddTool(CWnd* parent, const char* text, const RECT* rect, UINT toolId) {
  TTTOOLINFOA info = ToolInfo(parent, toolId);
  info.uFlags = 0;  // the owner relays its mouse messages; nothing subclasses it
  if (rect) info.rect = *rect;
  else parent->GetClientRect(&info.rect);
  std::vector<char> copy(text, text + strlen(text) + 1);
  info.lpszText = copy.data();
  return static_cast<BOOL>(::SendMessageA(m_hWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(const char* text, CWnd* parent, UINT toolId) {
  TTTOOLINFOA info = ToolInfo(parent, toolId);
  std::vector<char> copy(text, text + strlen(text) + 1);
  info.lpszText = copy.data();
  ::SendMessageA(m_hWnd, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

std::string CToolTipCtrl::GetToolText(CWnd* parent, UINT toolId) const {
  TTTOOLINFOA info = ToolInfo(parent, toolId);
  if (!::SendMessageA(m_hWnd, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info))) return "";
  // Room for the longest text a tooltip keeps (INFOTIPSIZE).
  std::vector<char> text(1024, '\0');
  info.lpszText = text.data();
  ::SendMessageA(m_hWnd, TTM_GETTEXTA, text.size(), reinterpret_cast<LPARAM>(&info));
  return text.data();
}

void CToolTipCtrl::RelayEvent(MSG* msg) {
  if (m_hWnd) ::SendMessageW(m_hWnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}
