// A menu handle and its wrapper object. The handle map lets a window hand the owner-draw
// requests of a menu's items to the object that owns the menu (DispatchOwnerDraw, which
// a program that draws menu items installs at start-up as the windows' handler of
// unhandled messages), so a class derived from CMenu can measure and draw its own items.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CMenu {
 public:
  CMenu() = default;
  // Destroys a menu that is still attached.
  virtual ~CMenu();
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  HMENU m_hMenu = nullptr;
  operator HMENU() const { return m_hMenu; }

  // Handle map: the object attached to a menu on this thread, or null.
  static CMenu* FromHandlePermanent(HMENU menu);
  BOOL Attach(HMENU menu);
  HMENU Detach();

  BOOL CreatePopupMenu();
  BOOL CreateMenu();
  BOOL DestroyMenu();

  // Item texts are shown through the wide-character API; fixed texts are UTF-8.
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const wchar_t* text = nullptr);
  BOOL AppendMenuUtf8(UINT flags, UINT_PTR id, const char* text);
  BOOL InsertMenu(UINT item, UINT flags, UINT_PTR id = 0, const wchar_t* text = nullptr);
  BOOL ModifyMenu(UINT item, UINT flags, UINT_PTR id = 0, const wchar_t* text = nullptr);
  // For MF_OWNERDRAW items: data comes back as itemData in the owner-draw requests.
  BOOL ModifyMenuData(UINT item, UINT flags, UINT_PTR id, const void* data);
  BOOL RemoveMenu(UINT item, UINT flags) { return ::RemoveMenu(m_hMenu, item, flags); }

  int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
  // 0 for a separator, 0xFFFFFFFF for a sub-menu entry.
  UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
  UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(m_hMenu, item, flags); }
  std::wstring GetMenuString(UINT item, UINT flags) const;
  HMENU GetSubMenu(int position) const { return ::GetSubMenu(m_hMenu, position); }
  UINT EnableMenuItem(UINT item, UINT enable) { return ::EnableMenuItem(m_hMenu, item, enable); }
  DWORD CheckMenuItem(UINT item, UINT check) { return ::CheckMenuItem(m_hMenu, item, check); }
  BOOL SetDefaultItem(UINT item, BOOL byPosition = FALSE) {
    return ::SetMenuDefaultItem(m_hMenu, item, static_cast<UINT>(byPosition));
  }

  // Shows the popup and returns when it closes: with TPM_RETURNCMD the chosen command
  // (0 for none), otherwise whether it could be shown, the choice being posted to the
  // owner as WM_COMMAND. Meanwhile this object answers the owner's owner-draw requests.
  BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect = nullptr);

  // Owner-draw operations for the items of this menu and its sub-menus; the base class
  // leaves the items as they are.
  virtual void DrawItem(const DRAWITEMSTRUCT* item);
  virtual void MeasureItem(MEASUREITEMSTRUCT* item);

  // Replaces the text of item position of menu (this menu or one of its sub-menus), as
  // the command-update step asks. A string item gets the new string; an owner-drawn one
  // is left to the derived class that draws it, false here.
  virtual BOOL SetItemText(HMENU menu, UINT position, const wchar_t* text);

  // A WM_MEASUREITEM or WM_DRAWITEM about a menu item, sent to owner, goes to the object
  // of the menu that holds the item, or of the nearest enclosing menu that has one; the
  // result is then TRUE. False when the request is not about a menu item or no object
  // claims it. Installed with CWnd::SetUnhandledMessageHandler.
  static BOOL DispatchOwnerDraw(HWND owner, UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT* result);

 private:
  BOOL Create(HMENU(WINAPI* create)());
};
