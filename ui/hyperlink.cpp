#include "hyperlink.h"

#include <cstring>

#include "link_launcher.h"
#include "text_conversion.h"

HCURSOR CHyperLink::s_hLinkCursor = nullptr;

BEGIN_MESSAGE_MAP(CHyperLink, CStatic)
  ON_WM_CTLCOLOR_REFLECT()
  ON_WM_SETCURSOR()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONUP()
  ON_WM_SETFOCUS()
  ON_WM_KILLFOCUS()
  ON_WM_KEYDOWN()
  ON_WM_NCHITTEST()
  ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CHyperLink::~CHyperLink() {
  // A control that outlives this object must not keep drawing with the deleted font.
  if (m_hWnd && ::IsWindow(m_hWnd) && m_font) SendMessage(WM_SETFONT, 0, FALSE);
  if (m_font) DeleteObject(m_font);
  m_toolTip.DestroyWindow();
}

void CHyperLink::PreSubclassWindow() {
  const std::string text = GetWindowTextUtf8();
  if (m_strURL.empty()) m_strURL = text;
  if (text.empty()) SetWindowText(Utf8ToWide(m_strURL));

  HFONT dialogFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
  LOGFONTW logFont = {};
  if (dialogFont && GetObjectW(dialogFont, sizeof(logFont), &logFont)) {
    logFont.lfUnderline = FALSE;
    m_font = CreateFontIndirectW(&logFont);
  }
  if (m_font) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
    FitWindowToText();
  } else {
    // Without a font of its own the text cannot be measured: keep the template's size.
    m_dwFlags &= ~kFitToText;
  }

  if (!(m_dwFlags & kNoHandCursor)) LoadHandCursor();

  m_toolTip.Create(this, 0);
  RECT client;
  GetClientRect(&client);
  m_toolTip.AddTool(this, m_strURL.c_str(), &client, kToolId);
}

BOOL CHyperLink::PreTranslateMessage(MSG* msg) {
  m_toolTip.RelayEvent(msg);
  return CStatic::PreTranslateMessage(msg);
}

void CHyperLink::SetLinkUrl(const std::string& url) {
  m_strURL = url;
  if (!m_hWnd) return;
  ShowWindow(SW_HIDE);
  FitWindowToText();
  m_toolTip.UpdateTipText(m_strURL.c_str(), this, kToolId);
  ShowWindow(SW_SHOW);
}

void CHyperLink::FitWindowToText() {
  if (!(m_dwFlags & kFitToText) || !m_hWnd) return;

  RECT rect;
  GetWindowRect(&rect);
  ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&rect), 2);
  RECT client;
  GetClientRect(&client);
  const int extraWidth = (rect.right - rect.left) - (client.right - client.left);
  const int extraHeight = (rect.bottom - rect.top) - (client.bottom - client.top);

  const std::wstring text = GetWindowTextWide();
  SIZE extent = {};
  HDC dc = ::GetDC(m_hWnd);
  HGDIOBJ oldFont = SelectObject(dc, m_font);
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, oldFont);
  ::ReleaseDC(m_hWnd, dc);

  const DWORD style = GetStyle();
  if (style & SS_CENTERIMAGE) {
    const int inset = ((rect.bottom - rect.top) - extent.cy) / 2;
    rect.top += inset;
    rect.bottom -= inset;
  } else {
    rect.bottom = rect.top + extent.cy;
  }
  // The alignment is a value of the type field, not a set of bits: SS_SIMPLE and
  // SS_LEFTNOWORDWRAP share bits with SS_CENTER and SS_RIGHT but are left-aligned.
  const DWORD type = style & SS_TYPEMASK;
  if (type == SS_CENTER) {
    const int inset = ((rect.right - rect.left) - extent.cx) / 2;
    rect.left += inset;
    rect.right -= inset;
  } else if (type == SS_RIGHT) {
    rect.left = rect.right - extent.cx;
  } else {
    rect.right = rect.left + extent.cx;
  }

  SetWindowPos(nullptr, rect.left, rect.top, rect.right - rect.left + extraWidth,
               rect.bottom - rect.top + extraHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHyperLink::LoadHandCursor() {
  if (s_hLinkCursor) return;
  char path[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryA(path, MAX_PATH);
  static const char kViewer[] = "\\winhlp32.exe";
  if (length == 0 || length + sizeof(kViewer) > sizeof(path)) return;
  std::strcat(path, kViewer);
  HMODULE viewer = LoadLibraryA(path);
  if (!viewer) return;
  HCURSOR hand = LoadCursorA(viewer, MAKEINTRESOURCEA(106));
  // A copy, since the library's own cursor goes with the library.
  if (hand) s_hLinkCursor = CopyIcon(hand);
  FreeLibrary(viewer);
}

HBRUSH CHyperLink::CtlColor(HDC dc, UINT) {
  COLORREF colour;
  if (m_bHover && (m_dwFlags & kUseHoverColour)) colour = s_clrHover;
  else if (!(m_dwFlags & kNoActiveColour) && m_bActive) colour = s_clrActive;
  else if (m_bVisited) colour = s_clrVisited;
  else colour = s_clrLink;
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

BOOL CHyperLink::OnSetCursor(HWND, UINT, UINT) {
  if (!s_hLinkCursor) return FALSE;
  ::SetCursor(s_hLinkCursor);
  return TRUE;
}

void CHyperLink::OnMouseMove(UINT, POINT point) {
  if (!m_bHover) {
    m_bHover = TRUE;
    Repaint();
    ::SetCapture(m_hWnd);
    return;
  }
  RECT client;
  GetClientRect(&client);
  if (!PtInRect(&client, point)) {
    m_bHover = FALSE;
    ::ReleaseCapture();
    Repaint();
  }
}

void CHyperLink::OnLButtonDown(UINT, POINT) {
  if (m_dwFlags & kFocusOnClick) SetFocus();
  if (m_dwFlags & kOpenOnButtonDown) OpenLink();
  m_bActive = TRUE;
}

void CHyperLink::OnLButtonUp(UINT, POINT) {
  if (!m_bActive || (m_dwFlags & kOpenOnButtonDown)) return;
  static const char* const kMarkers[] = {"@", "http", "com", "net", "www"};
  for (const char* marker : kMarkers) {
    if (m_strURL.find(marker) != std::string::npos) {
      OpenLink();
      return;
    }
  }
  LinkCalls().showHelp(::GetAncestor(m_hWnd, GA_ROOTOWNER), 0, HELP_CONTEXT);
}

void CHyperLink::OnSetFocus(HWND) {
  m_bActive = TRUE;
  Repaint();
}

void CHyperLink::OnKillFocus(HWND) {
  m_bHover = FALSE;
  m_bActive = FALSE;
  Repaint();
}

void CHyperLink::OnKeyDown(UINT key, UINT, UINT) {
  if (key == VK_SPACE) OpenLink();
  else Default();
}

LRESULT CHyperLink::OnNcHitTest(POINT) { return HTCLIENT; }

void CHyperLink::OpenLink() {
  const INT_PTR result = LaunchUrl(m_strURL.c_str(), SW_SHOW);
  if (result <= 32) {
    MessageBeep(MB_ICONEXCLAMATION);
    ShowOpenError(static_cast<int>(result));
    return;
  }
  m_bVisited = TRUE;
  Repaint();
}
