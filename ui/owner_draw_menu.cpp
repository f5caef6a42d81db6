#include "owner_draw_menu.h"

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <string>

#include "cmd_ui.h"
#include "dpi.h"
#include "legible_font.h"
#include "wnd.h"

int COwnerDrawMenu::s_nNesting = 0;

namespace {

// Menus cannot contain themselves, but a bound keeps a damaged tree from recursing forever.
constexpr int kMaxDepth = 32;
constexpr size_t kTextCapacity = sizeof(MenuItemRecord::szText) / sizeof(wchar_t);

class NestingScope {
 public:
  explicit NestingScope(int& counter) : counter_(counter) { ++counter_; }
  ~NestingScope() { --counter_; }
  NestingScope(const NestingScope&) = delete;
  NestingScope& operator=(const NestingScope&) = delete;

 private:
  int& counter_;
};

// Longer labels are cut to the record's capacity, never in the middle of a surrogate pair.
void CopyText(wchar_t (&target)[kTextCapacity], const wchar_t* text) {
  size_t length = text ? wcsnlen(text, kTextCapacity - 1) : 0;
  if (length == kTextCapacity - 1 && IS_HIGH_SURROGATE(text[length - 1])) --length;
  std::copy(text, text + length, target);
  target[length] = L'\0';
}

std::wstring MenuString(HMENU menu, UINT position) {
  wchar_t text[256] = {};
  int copied = ::GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
  return std::wstring(text, static_cast<size_t>(copied > 0 ? copied : 0));
}

// The state of a sub-menu entry holds its item count in the high byte, where MF_OWNERDRAW
// would be: the item's type tells.
bool IsOwnerDrawOrBitmap(HMENU menu, UINT position, UINT state) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE;
  ::GetMenuItemInfoW(menu, position, TRUE, &info);
  return (info.fType & MFT_OWNERDRAW) || (state & MF_BITMAP);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  COLORREF old = ::SetBkColor(dc, color);
  ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  ::SetBkColor(dc, old);
}

// A one-pixel frame just inside rect.
void Draw3dRect(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
  FillSolid(dc, {rect.left, rect.top, rect.right - 1, rect.top + 1}, topLeft);
  FillSolid(dc, {rect.left, rect.top, rect.left + 1, rect.bottom - 1}, topLeft);
  FillSolid(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
  FillSolid(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
}

void DrawLine(HDC dc, COLORREF color, int left, int right, int y) {
  HPEN pen = ::CreatePen(PS_SOLID, 1, color);
  HGDIOBJ oldPen = ::SelectObject(dc, pen);
  POINT oldPosition;
  ::MoveToEx(dc, left, y, &oldPosition);
  ::LineTo(dc, right, y);
  ::MoveToEx(dc, oldPosition.x, oldPosition.y, nullptr);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(pen);
}

// The label at the left and what follows the first tab right-aligned.
void DrawItemText(HDC dc, const wchar_t* text, RECT rect) {
  if (const wchar_t* tab = std::wcschr(text, L'\t')) {
    ::DrawTextW(dc, text, static_cast<int>(tab - text), &rect, DT_VCENTER);
    ::DrawTextW(dc, tab + 1, -1, &rect, DT_RIGHT | DT_VCENTER);
  } else {
    ::DrawTextW(dc, text, -1, &rect, DT_EXPANDTABS | DT_VCENTER);
  }
}

}  // namespace

COwnerDrawMenu::COwnerDrawMenu(HWND owner)
    : m_hOwner(owner),
      m_nDpi(DpiOfWindow(owner)),
      m_nImageWidth(ScaleToDpi(20, m_nDpi)),
      m_nImageHeight(ScaleToDpi(20, m_nDpi)),
      m_clrText(::GetSysColor(COLOR_MENUTEXT)),
      m_clrHighlightText(::GetSysColor(COLOR_HIGHLIGHTTEXT)),
      m_clrBack(::GetSysColor(COLOR_MENU)),
      m_clrHighlight(::GetSysColor(COLOR_HIGHLIGHT)),
      m_clr3dHilight(::GetSysColor(COLOR_BTNHIGHLIGHT)),
      m_clr3dShadow(::GetSysColor(COLOR_BTNSHADOW)),
      m_clrGrayText(::GetSysColor(COLOR_GRAYTEXT)) {
  const LOGFONTW menuFont = LegibleFont(MenuFontForDpi(m_nDpi));
  m_hMenuFont = ::CreateFontIndirectW(&menuFont);
  CreateBoldFont();
}

COwnerDrawMenu::~COwnerDrawMenu() {
  m_items.clear();
  m_imageMap.clear();
  if (m_hBoldFont) ::DeleteObject(m_hBoldFont);
  if (m_hMenuFont) ::DeleteObject(m_hMenuFont);
  DestroyMenu();
}

int COwnerDrawMenu::Scaled(int value) const { return ScaleToDpi(value, m_nDpi); }

BOOL COwnerDrawMenu::CreateBoldFont() {
  if (m_hBoldFont) {
    ::DeleteObject(m_hBoldFont);
    m_hBoldFont = nullptr;
  }
  LOGFONTW font = {};
  if (!m_hMenuFont || !::GetObjectW(m_hMenuFont, sizeof(font), &font)) return FALSE;
  font.lfWeight = FW_BOLD;
  m_hBoldFont = ::CreateFontIndirectW(&font);
  return m_hBoldFont != nullptr;
}

MenuItemRecord* COwnerDrawMenu::AddItemRecord(const wchar_t* text, int command) {
  auto record = std::make_unique<MenuItemRecord>();
  CopyText(record->szText, text);
  record->nCommand = command;
  record->nImage = command >= 0 ? FindImageForCommand(command) : command;
  m_items.push_back(std::move(record));
  return m_items.back().get();
}

int COwnerDrawMenu::FindImageForCommand(int command) const {
  for (const ImageMapEntry& entry : m_imageMap)
    if (entry.nCommand == command) return entry.nImage;
  return -1;
}

bool COwnerDrawMenu::OwnsRecord(const MenuItemRecord* record) const {
  return record && std::any_of(m_items.begin(), m_items.end(),
                               [&](const auto& owned) { return owned.get() == record; });
}

void COwnerDrawMenu::ConvertToOwnerDraw(CMenu* menu) {
  if (menu && menu->m_hMenu) ConvertMenu(menu->m_hMenu);
}

void COwnerDrawMenu::ConvertMenu(HMENU menu) {
  NestingScope scope(s_nNesting);
  int depth = s_nNesting;
  if (depth > kMaxDepth) return;
  for (int position = ::GetMenuItemCount(menu) - 1; position >= 0; --position) {
    UINT at = static_cast<UINT>(position);
    UINT id = ::GetMenuItemID(menu, position);
    UINT state = ::GetMenuState(menu, at, MF_BYPOSITION);
    bool converted = IsOwnerDrawOrBitmap(menu, at, state);

    if (id == 0xFFFFFFFFu) {
      HMENU subMenu = ::GetSubMenu(menu, position);
      if (subMenu) ConvertMenu(subMenu);
      // A converted entry keeps its record, and the entry keeps its sub-menu: replacing it
      // by a plain item would destroy the sub-menu and everything converted in it.
      if (converted) continue;
      std::wstring text = MenuString(menu, at);
      MenuItemRecord* record = text.empty()
                                   ? nullptr
                                   : AddItemRecord(text.c_str(), depth == 1 ? kTopSubMenuTitle : kSubMenuTitle);
      UINT flags = MF_BYPOSITION | MF_OWNERDRAW | (state & (MF_GRAYED | MF_DISABLED));
      if (subMenu) flags |= MF_POPUP;
      ::ModifyMenuW(menu, at, flags, subMenu ? reinterpret_cast<UINT_PTR>(subMenu) : 0xFFFFFFFFu,
                    reinterpret_cast<const wchar_t*>(record));
      continue;
    }
    if (converted) continue;

    MenuItemRecord* record = id == 0 ? AddItemRecord(L"--", kSeparator)
                                     : AddItemRecord(MenuString(menu, at).c_str(), static_cast<int>(id));
    ::ModifyMenuW(menu, at, state | MF_OWNERDRAW | MF_BYPOSITION, id,
                  reinterpret_cast<const wchar_t*>(record));
    // The default mark is not one of the flags that ModifyMenu takes.
    if (state & MF_DEFAULT) ::SetMenuDefaultItem(menu, at, TRUE);
  }
}

void COwnerDrawMenu::UpdateCommandStates(CMenu* menu, CWnd* target) {
  if (menu && menu->m_hMenu) UpdateMenu(menu->m_hMenu, target, 1);
}

void COwnerDrawMenu::UpdateMenu(HMENU menu, CWnd* target, int depth) {
  if (depth > kMaxDepth) return;
  for (int position = ::GetMenuItemCount(menu) - 1; position >= 0; --position) {
    UINT id = ::GetMenuItemID(menu, position);
    if (id == 0xFFFFFFFFu) {
      if (HMENU subMenu = ::GetSubMenu(menu, position)) UpdateMenu(subMenu, target, depth + 1);
      continue;
    }
    if (id == 0) continue;
    CCmdUI state;
    state.m_nID = id;
    state.m_nIndex = static_cast<UINT>(position);
    state.m_hMenu = menu;
    state.m_pMenu = this;
    state.DoUpdate(target, TRUE);
  }
}

BOOL COwnerDrawMenu::SetItemText(HMENU menu, UINT position, const wchar_t* text) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_DATA;
  if (!::GetMenuItemInfoW(menu, position, TRUE, &info)) return FALSE;
  auto* record = reinterpret_cast<MenuItemRecord*>(info.dwItemData);
  if (!(info.fType & MFT_OWNERDRAW) || !OwnsRecord(record)) return CMenu::SetItemText(menu, position, text);
  CopyText(record->szText, text);
  // Setting the data again makes the system measure the item anew.
  info.fMask = MIIM_DATA;
  return ::SetMenuItemInfoW(menu, position, TRUE, &info);
}

void COwnerDrawMenu::MeasureItem(MEASUREITEMSTRUCT* item) {
  if (!item || item->CtlType != ODT_MENU) return;
  const auto* record = reinterpret_cast<const MenuItemRecord*>(item->itemData);
  if (!record) return;
  if (record->nCommand == kSeparator) {
    item->itemWidth = static_cast<UINT>(Scaled(10));
    item->itemHeight = static_cast<UINT>(Scaled(6));
    return;
  }
  if (!record->szText[0]) {
    item->itemWidth = static_cast<UINT>(Scaled(100));
    item->itemHeight = static_cast<UINT>(m_nImageHeight + Scaled(5));
    return;
  }

  // Always the normal menu font: the default item's bold text must fit the same width.
  HWND window = m_hOwner;
  HDC dc = ::GetDC(window);
  if (!dc) return;
  HGDIOBJ oldFont = m_hMenuFont ? ::SelectObject(dc, m_hMenuFont) : nullptr;
  if (record->nCommand == kTopSubMenuTitle) {
    RECT bounds = {};
    ::DrawTextW(dc, record->szText, -1, &bounds, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    item->itemWidth = static_cast<UINT>(bounds.right - bounds.left);
    item->itemHeight = static_cast<UINT>(bounds.bottom - bounds.top);
  } else {
    DWORD extent = ::GetTabbedTextExtentW(dc, record->szText, static_cast<int>(std::wcslen(record->szText)),
                                          0, nullptr);
    int height = std::max(m_nImageHeight + Scaled(5), static_cast<int>(HIWORD(extent)));
    item->itemWidth = static_cast<UINT>(LOWORD(extent) + Scaled(17) + std::max(height, m_nImageWidth));
    item->itemHeight = static_cast<UINT>(height);
  }
  if (oldFont) ::SelectObject(dc, oldFont);
  ::ReleaseDC(window, dc);
}

void COwnerDrawMenu::DrawItem(const DRAWITEMSTRUCT* item) {
  if (!item || item->CtlType != ODT_MENU) return;
  const auto* record = reinterpret_cast<const MenuItemRecord*>(item->itemData);
  if (!record) return;
  HDC dc = item->hDC;
  bool selected = (item->itemState & ODS_SELECTED) != 0;
  bool enabled = (item->itemState & ODS_DISABLED) == 0;
  bool isDefault = (item->itemState & ODS_DEFAULT) != 0;

  HFONT font = isDefault && m_hBoldFont ? m_hBoldFont : m_hMenuFont;
  HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
  if (record->nCommand == kSeparator) DrawSeparator(dc, item->rcItem);
  else if (record->nCommand == kTopSubMenuTitle) DrawTitle(dc, item->rcItem, record->szText, selected && enabled);
  else DrawCommand(dc, item, *record);
  if (oldFont) ::SelectObject(dc, oldFont);
}

void COwnerDrawMenu::DrawSeparator(HDC dc, const RECT& item) const {
  const int inset = Scaled(2);
  DrawLine(dc, m_clr3dShadow, item.left + inset, item.right - inset, item.top + inset);
  DrawLine(dc, m_clr3dHilight, item.left + inset, item.right - inset, item.top + inset + 1);
}

void COwnerDrawMenu::DrawTitle(HDC dc, const RECT& item, const wchar_t* text, bool raised) const {
  RECT area = item;
  if (raised) {
    area.left += Scaled(2);
    area.top += Scaled(1);
  }
  FillSolid(dc, area, m_clrBack);
  ::DrawTextW(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (raised) Draw3dRect(dc, item, m_clr3dShadow, m_clr3dHilight);
}

void COwnerDrawMenu::DrawCommand(HDC dc, const DRAWITEMSTRUCT* item, const MenuItemRecord& record) const {
  bool selected = (item->itemState & ODS_SELECTED) != 0;
  bool enabled = (item->itemState & ODS_DISABLED) == 0;
  bool checked = (item->itemState & ODS_CHECKED) != 0;
  const RECT& row = item->rcItem;
  int height = row.bottom - row.top;
  RECT imageColumn = {row.left, row.top, row.left + height, row.bottom};
  RECT textArea = row;
  textArea.left = imageColumn.right + Scaled(1);

  int oldMode = ::SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = ::SetTextColor(dc, selected ? m_clrHighlightText : m_clrText);
  // Without an image or check mark the bar covers the image column too.
  FillSolid(dc, record.nImage < 0 && !checked ? row : textArea, selected ? m_clrHighlight : m_clrBack);

  int x = imageColumn.left + (height - m_nImageWidth) / 2;
  int y = imageColumn.top + (height - m_nImageHeight) / 2;
  if (record.nImage >= 0) {
    if (selected && enabled) Draw3dRect(dc, imageColumn, m_clr3dHilight, m_clr3dShadow);
    else Draw3dRect(dc, imageColumn, m_clrBack, m_clrBack);
    HIMAGELIST images = m_imlItems.m_hImageList;
    if (images && enabled) {
      ::ImageList_Draw(images, record.nImage, dc, x, y, ILD_NORMAL);
    } else if (images) {
      if (HICON icon = ::ImageList_GetIcon(images, record.nImage, ILD_NORMAL)) {
        ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, m_nImageWidth,
                     m_nImageHeight, DST_ICON | DSS_DISABLED);
        ::DestroyIcon(icon);
      }
    }
  } else if (checked && m_imlCheck.m_hImageList) {
    ::ImageList_Draw(m_imlCheck.m_hImageList, 0, dc, x, y - Scaled(2), ILD_NORMAL);
  }

  SIZE extent = {};
  ::GetTextExtentPoint32W(dc, record.szText, static_cast<int>(std::wcslen(record.szText)), &extent);
  textArea.top += (textArea.bottom - extent.cy - textArea.top) / 2;
  textArea.left += Scaled(2);
  textArea.right -= Scaled(15);

  if (!enabled && !selected) {
    RECT raised = textArea;
    ::InflateRect(&raised, -1, -1);
    ::SetTextColor(dc, m_clr3dHilight);
    DrawItemText(dc, record.szText, raised);
    ::SetTextColor(dc, m_clrGrayText);
  } else if (!enabled) {
    ::SetTextColor(dc, m_clrBack);
  }
  DrawItemText(dc, record.szText, textArea);

  ::SetTextColor(dc, oldColor);
  ::SetBkMode(dc, oldMode);
}
