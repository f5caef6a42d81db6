// The command-update step: before a menu is shown, each command item is offered to the
// target window's ON_UPDATE_COMMAND_UI handler, which may enable, check or rename it;
// an item nobody decides about is enabled exactly when the target handles its command.
#pragma once

#include <windows.h>

class CMenu;
class CWnd;

class CCmdUI {
 public:
  CCmdUI() = default;
  virtual ~CCmdUI() = default;

  UINT m_nID = 0;
  // The item: its position in m_hMenu, and the object that draws it (may be null).
  UINT m_nIndex = 0;
  HMENU m_hMenu = nullptr;
  CMenu* m_pMenu = nullptr;

  virtual void Enable(BOOL on = TRUE);
  // 0 clears the check mark; any other value sets it.
  virtual void SetCheck(int check = 1);
  virtual void SetText(const wchar_t* text);
  void SetTextUtf8(const char* text);

  // Offers the item to target's update handler for m_nID. When no handler changed the
  // enabled state and disableIfNoHandler is set, the item is enabled exactly when target
  // has a command handler for m_nID. Returns whether an update handler ran.
  BOOL DoUpdate(CWnd* target, BOOL disableIfNoHandler);

  BOOL m_bEnableChanged = FALSE;
};

// Whether target's message map has an ON_COMMAND entry for id.
BOOL AfxHasCommandHandler(CWnd* target, UINT id);
