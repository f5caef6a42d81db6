// A static text control that behaves like a web link: link colours on a transparent
// background, a hand cursor, the URL as its tooltip, and a click that opens the URL
// with the shell (or with the browser registered for ".htm" files).
#pragma once

#include <windows.h>

#include <string>

#include "controls.h"
#include "link_launcher.h"
#include "tooltip_ctrl.h"

class CHyperLink : public CStatic {
 public:
  // Bits of m_dwFlags.
  static constexpr DWORD kUseHoverColour = 0x02;
  static constexpr DWORD kFitToText = 0x04;
  static constexpr DWORD kOpenOnButtonDown = 0x08;
  static constexpr DWORD kFocusOnClick = 0x10;
  static constexpr DWORD kNoHandCursor = 0x20;
  static constexpr DWORD kNoActiveColour = 0x40;
  static constexpr DWORD kDefaultFlags = kFitToText | kFocusOnClick;

  static constexpr COLORREF s_clrLink = RGB(0, 0, 255);
  static constexpr COLORREF s_clrActive = RGB(0, 128, 128);
  static constexpr COLORREF s_clrVisited = RGB(128, 0, 128);
  static constexpr COLORREF s_clrHover = RGB(255, 0, 0);
  // Shared by every link for the life of the process; null until loaded.
  static HCURSOR s_hLinkCursor;

  // The id of the one tool of m_toolTip.
  static constexpr UINT kToolId = 1;

  // The launcher's own failure code and buffer (link_launcher.h).
  static constexpr int kCommandTooLong = kLinkCommandTooLong;
  static constexpr size_t kCommandBufferSize = kLinkCommandBufferSize;

  CHyperLink() = default;
  ~CHyperLink() override;

  BOOL PreTranslateMessage(MSG* msg) override;

  // url is ANSI.
  void SetLinkUrl(const std::string& url);
  void OpenLink();
  // The launcher's (link_launcher.h), which the link uses.
  static INT_PTR LaunchUrl(const char* url, int showCommand) { return LaunchLinkUrl(url, showCommand); }
  static LONG QueryClassKey(HKEY root, const char* subKey, char* out, size_t outSize) {
    return ::QueryClassKey(root, subKey, out, outSize);
  }
  static void ShowOpenError(int error) { ShowLinkOpenError(error); }
  static std::string OpenErrorText(int error) { return LinkOpenErrorText(error); }
  void FitWindowToText();
  static void LoadHandCursor();

  BOOL m_bActive = FALSE;
  BOOL m_bHover = FALSE;
  BOOL m_bVisited = FALSE;
  DWORD m_dwFlags = kDefaultFlags;
  std::string m_strURL;
  HFONT m_font = nullptr;
  CToolTipCtrl m_toolTip;

 protected:
  void PreSubclassWindow() override;

  HBRUSH CtlColor(HDC dc, UINT ctlColor);
  BOOL OnSetCursor(HWND window, UINT hitTest, UINT message);
  void OnMouseMove(UINT flags, POINT point);
  void OnLButtonUp(UINT flags, POINT point);
  void OnSetFocus(HWND oldFocus);
  void OnKillFocus(HWND newFocus);
  void OnKeyDown(UINT key, UINT repeat, UINT flags);
  LRESULT OnNcHitTest(POINT point);
  void OnLButtonDown(UINT flags, POINT point);

  DECLARE_MESSAGE_MAP()

 private:
  void Repaint() { ::InvalidateRect(m_hWnd, nullptr, TRUE); }
};
