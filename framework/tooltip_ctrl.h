// The tooltip control: a popup that shows a text while the mouse rests on a tool (a
// window or a rectangle of it). It sees the mouse only through RelayEvent.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "wnd.h"

class CToolTipCtrl : public CWnd {
 public:
  CToolTipCtrl() = default;
  ~CToolTipCtrl() override;

  // Creates the tooltip owned by parent, with TTS_xxx bits in style.
  BOOL Create(CWnd* parent, DWORD style = 0);
  // Adds tool toolId: the rectangle of parent's client area (the whole client area when
  // rect is null) that shows text (ANSI).
  BOOL AddTool(CWnd* parent, const char* text, const RECT* rect = nullptr, UINT toolId = 0);
  // Replaces the text of tool toolId.
  void UpdateTipText(const char* text, CWnd* parent, UINT toolId = 0);
  // The text of tool toolId, "" when there is no such tool.
  std::string GetToolText(CWnd* parent, UINT toolId = 0) const;
  int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
  void Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate); }
  // Hands a mouse message of a tool's window to the tooltip.
  void RelayEvent(MSG* msg);
};
