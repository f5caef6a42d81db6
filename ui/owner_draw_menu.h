// The file list's context menu, drawn by the program itself: rows at least 25 pixels
// high (at 96 dpi; every figure grows with the main window's dpi) in the system menu font, an image column as wide as the row is high, the label at
// the left and an accelerator at the right, a highlight bar for the selected row,
// embossed grey text for disabled rows and bold text for the default item.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "image_list.h"
#include "menu.h"

class CWnd;

// One per converted item; its address is the item's data in the owner-draw requests.
struct MenuItemRecord {
  int nImage;    // index in the item images, negative for none
  int nCommand;  // a command id, or one of the kinds below
  wchar_t szText[128];  // label, optionally a tab and the accelerator; "--" for a separator
};

class COwnerDrawMenu : public CMenu {
 public:
  // Record kinds besides command ids.
  static constexpr int kSubMenuTitle = -2;     // a sub-menu entry inside a sub-menu
  static constexpr int kSeparator = -3;
  static constexpr int kTopSubMenuTitle = -4;  // a sub-menu entry of the converted menu

  // Measured and drawn for owner, the window the menu is shown for (null: the screen).
  explicit COwnerDrawMenu(HWND owner = nullptr);
  ~COwnerDrawMenu() override;

  // Makes every item of menu and of its sub-menus owner-drawn, each with a record of
  // this object. Items that are owner-drawn already, and bitmaps, are left as they are.
  void ConvertToOwnerDraw(CMenu* menu);
  // Lets target's command handling enable, disable or check every command item of menu
  // and of its sub-menus (the command-update step).
  void UpdateCommandStates(CMenu* menu, CWnd* target);

  void MeasureItem(MEASUREITEMSTRUCT* item) override;
  void DrawItem(const DRAWITEMSTRUCT* item) override;
  BOOL SetItemText(HMENU menu, UINT position, const wchar_t* text) override;

  int GetRecordCount() const { return static_cast<int>(m_items.size()); }
  const MenuItemRecord* GetRecord(int index) const { return m_items[static_cast<size_t>(index)].get(); }

 protected:
  struct ImageMapEntry {
    int nImage;
    int nCommand;
  };

  MenuItemRecord* AddItemRecord(const wchar_t* text, int command);
  int FindImageForCommand(int command) const;
  BOOL CreateBoldFont();
  bool OwnsRecord(const MenuItemRecord* record) const;

  // A figure at 96 dpi at the menu's dpi.
  int Scaled(int value) const;

  HWND m_hOwner;
  int m_nDpi;  // the owner's, when the menu is made
  HFONT m_hBoldFont = nullptr;  // null when it could not be created
  HFONT m_hMenuFont = nullptr;
  int m_nImageWidth;   // 20 at 96 dpi
  int m_nImageHeight;
  CImageList m_imlItems;
  CImageList m_imlCheck;  // image 0 is the check mark
  COLORREF m_clrText;
  COLORREF m_clrHighlightText;
  COLORREF m_clrBack;
  COLORREF m_clrHighlight;
  COLORREF m_clr3dHilight;
  COLORREF m_clr3dShadow;
  COLORREF m_clrGrayText;
  std::vector<std::unique_ptr<MenuItemRecord>> m_items;  // in creation order
  std::vector<ImageMapEntry> m_imageMap;  // command to image; first match wins

 private:
  void ConvertMenu(HMENU menu);
  void UpdateMenu(HMENU menu, CWnd* target, int depth);
  void DrawSeparator(HDC dc, const RECT& item) const;
  void DrawTitle(HDC dc, const RECT& item, const wchar_t* text, bool raised) const;
  void DrawCommand(HDC dc, const DRAWITEMSTRUCT* item, const MenuItemRecord& record) const;

  // How deep the running conversion is, shared by all objects: 1 in the menu the caller
  // passed, 2 in its sub-menus, and so on.
  static int s_nNesting;
};
