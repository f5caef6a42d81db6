#include "list_menus.h"

#include "dpi.h"
#include "owner_draw_menu.h"
#include "fs/file_names.h"
#include "resource.h"

UINT CListMenus::ForItem(int item, const std::string& path, bool folder) {
  // Lives until tracking ends: the system hands the item records back while it is shown.
  COwnerDrawMenu menu(m_owner.m_hWnd);
  if (!menu.CreatePopupMenu()) return 0;
  if (folder) {
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_ENCRYPT, "加密");
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_DECRYPT, "解密");
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_UPGRADE, "升级为强加密");
  } else if (qz::HasEncryptedExtension(path)) {
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_DECRYPT, "解密");
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_UPGRADE, "升级为强加密");
  } else if (qz::HasStrongExtension(path)) {
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_DECRYPT, "解密");
  } else {
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_ENCRYPT, "加密");
  }
  return TrackBeside(menu, item);
}

UINT CListMenus::ForSelection(int item) {
  bool plain = false, encrypted = false, upgradable = false;
  for (int selected : m_list.SelectedItems()) {
    if (m_list.IsFolder(selected)) continue;
    const std::string name = m_list.Text(selected);
    (qz::IsEncryptedName(name) ? encrypted : plain) = true;
    if (qz::HasEncryptedExtension(name)) upgradable = true;
  }
  COwnerDrawMenu menu(m_owner.m_hWnd);
  if (!menu.CreatePopupMenu()) return 0;
  if (plain && encrypted)
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_ENCRYPT, "加密和解密");
  else if (encrypted)
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_DECRYPT, "解密");
  else
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_ENCRYPT, "加密");
  if (upgradable) menu.AppendMenuUtf8(MF_STRING, ID_MENU_UPGRADE, "升级为强加密");
  return TrackBeside(menu, item);
}

UINT CListMenus::TrackBeside(COwnerDrawMenu& menu, int item) {
  menu.ConvertToOwnerDraw(&menu);
  menu.UpdateCommandStates(&menu, &m_owner);
  const POINT point = MenuPointOf(item);
  const UINT chosen = static_cast<UINT>(menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, point.x, point.y, &m_owner));
  menu.DestroyMenu();
  return chosen;
}

POINT CListMenus::MenuPointOf(int item) {
  CListCtrl& list = m_list.Control();
  POINT position = {};
  POINT origin = {};
  RECT label = {LVIR_LABEL, 0, 0, 0};
  list.SendMessage(LVM_GETITEMPOSITION, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&position));
  list.SendMessage(LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin));
  list.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&label));
  // Below and right of the item's label, in the main window's client coordinates; the
  // offsets are 96-dpi pixels, as the window's layout is.
  const int dpi = DpiOfWindow(m_owner.m_hWnd);
  POINT point = {position.x + (label.right - label.left) - origin.x + ScaleToDpi(28, dpi),
                 position.y + (label.bottom - label.top) - origin.y + ScaleToDpi(66, dpi)};
  ClientToScreen(m_owner.m_hWnd, &point);
  return point;
}
