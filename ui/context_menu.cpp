// The file list's context menu, from the mouse (a right-click on an item) and from the
// keyboard (the menu key or Shift+F10 on the selected item): each command acts on the
// item the menu was opened for, or on the selection when it was opened on one of several
// selected items.
#include <string>

#include "dpi.h"
#include "file_browser_dlg.h"
#include "fs/file_names.h"
#include "fs/folder_scan.h"
#include "owner_draw_menu.h"
#include "resource.h"

void CFileBrowserDlg::OnListRClick(NMHDR* header, LRESULT* result) {
  *result = 0;
  const int item = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
  if (item == -1) return;
  ShowContextMenu(item);
}

void CFileBrowserDlg::OnContextMenu(HWND window, POINT screen) {
  // A right-click already got its menu through NM_RCLICK; this is the keyboard's.
  if (window != m_lvFiles.m_hWnd || screen.x != -1 || screen.y != -1) return;
  const int focused = m_lvFiles.GetNextItem(-1, LVNI_FOCUSED | LVNI_SELECTED);
  const int item = focused >= 0 ? focused : SelectedItem();
  if (item < 0) return;
  m_lvFiles.EnsureVisible(item, FALSE);
  ShowContextMenu(item);
}

void CFileBrowserDlg::ShowContextMenu(int item) {
  // The list keeps a selection when one of its items is right-clicked.
  if (m_lvFiles.GetSelectedCount() > 1 && (m_lvFiles.GetItemState(item, LVIS_SELECTED) & LVIS_SELECTED))
    return ShowSelectionMenu(item);
  std::string path;
  if (!ItemPath(item, &path)) return;
  // Lives until tracking ends: the system hands the item records back while it is shown.
  COwnerDrawMenu menu;
  if (!menu.CreatePopupMenu()) return;
  // A folder by the rule the listing and the batches use: hidden, read-only and cloud
  // folders too, links to folders not.
  if (qz::KindOf(path) == qz::EntryKind::kDirectory) {
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
  // The command comes back here, so it runs with the item the menu belongs to.
  const UINT chosen = TrackMenuBeside(menu, item);
  switch (chosen) {
    case ID_MENU_ENCRYPT: return RunFolderBatch(FileCommand::kEncrypt, item);
    case ID_MENU_DECRYPT: return RunFolderBatch(FileCommand::kDecrypt, item);
    case ID_MENU_UPGRADE: return RunFolderBatch(FileCommand::kUpgrade, item);
    default: return;
  }
}

UINT CFileBrowserDlg::TrackMenuBeside(COwnerDrawMenu& menu, int item) {
  menu.ConvertToOwnerDraw(&menu);
  menu.UpdateCommandStates(&menu, this);
  const POINT point = MenuPointOf(item);
  const UINT chosen = static_cast<UINT>(menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, point.x, point.y, this));
  menu.DestroyMenu();
  return chosen;
}

POINT CFileBrowserDlg::MenuPointOf(int item) {
  POINT position = {};
  POINT origin = {};
  RECT label = {LVIR_LABEL, 0, 0, 0};
  m_lvFiles.SendMessage(LVM_GETITEMPOSITION, static_cast<WPARAM>(item),
                        reinterpret_cast<LPARAM>(&position));
  m_lvFiles.SendMessage(LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin));
  m_lvFiles.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&label));
  // Below and right of the item's label, in the main window's client coordinates; the
  // offsets are 96-dpi pixels, as the window's layout is.
  const int dpi = DpiOfWindow(m_hWnd);
  POINT point = {position.x + (label.right - label.left) - origin.x + ScaleToDpi(28, dpi),
                 position.y + (label.bottom - label.top) - origin.y + ScaleToDpi(66, dpi)};
  ClientToScreen(m_hWnd, &point);
  return point;
}

// The same commands sent on their own act on the selected item, or on the selection, as
// the keyboard's menu would.
void CFileBrowserDlg::OnMenuEncrypt() {
  if (m_lvFiles.GetSelectedCount() > 1) return RunSelection(FileCommand::kEncrypt);
  RunFolderBatch(FileCommand::kEncrypt, SelectedItem());
}

void CFileBrowserDlg::OnMenuDecrypt() {
  if (m_lvFiles.GetSelectedCount() > 1) return RunSelection(FileCommand::kDecrypt);
  RunFolderBatch(FileCommand::kDecrypt, SelectedItem());
}

void CFileBrowserDlg::OnMenuUpgrade() {
  if (m_lvFiles.GetSelectedCount() > 1) return RunSelection(FileCommand::kUpgrade);
  RunFolderBatch(FileCommand::kUpgrade, SelectedItem());
}
