// Several items selected in the list (Ctrl and Shift clicks, Ctrl+A): Enter and the context
// menu act on their files as one batch, the way a drop of the same files does; folders in
// a selection are left alone and counted.
#include <string>
#include <utility>
#include <vector>

#include "file_browser_dlg.h"
#include "fs/file_names.h"
#include "owner_draw_menu.h"
#include "resource.h"

namespace {
constexpr char kFoldersLeft[] = "多选时只处理文件，%s 个目录未作处理。";
}  // namespace

std::vector<int> CFileBrowserDlg::SelectedItems() const {
  std::vector<int> items;
  for (int item = m_lvFiles.GetNextItem(-1, LVNI_SELECTED); item >= 0;
       item = m_lvFiles.GetNextItem(item, LVNI_SELECTED))
    items.push_back(item);
  return items;
}

void CFileBrowserDlg::SelectAll() {
  if (m_lvFiles.GetItemCount() == 0) return;
  m_lvFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  // The focus stays where it was; without one, the first item takes it.
  if (m_lvFiles.GetNextItem(-1, LVNI_FOCUSED) < 0) m_lvFiles.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
}

void CFileBrowserDlg::RunSelection(FileCommand command) {
  std::vector<std::string> paths;
  for (int item : SelectedItems()) {
    std::string path;
    // One item that cannot be reached stops the batch before it begins.
    if (!ItemPath(item, &path)) return;
    paths.push_back(std::move(path));
  }
  if (!paths.empty()) RunPaths(paths, command, kFoldersLeft, false);
}

void CFileBrowserDlg::ShowSelectionMenu(int item) {
  bool plain = false, encrypted = false, upgradable = false;
  for (int selected : SelectedItems()) {
    if (m_lvFiles.GetItemData(selected) & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = m_lvFiles.GetItemText(selected);
    (qz::IsEncryptedName(name) ? encrypted : plain) = true;
    if (qz::HasEncryptedExtension(name)) upgradable = true;
  }
  COwnerDrawMenu menu(m_hWnd);
  if (!menu.CreatePopupMenu()) return;
  // One command for the files as Enter takes them, named for what it does to them.
  if (plain && encrypted)
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_ENCRYPT, "加密和解密");
  else if (encrypted)
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_DECRYPT, "解密");
  else
    menu.AppendMenuUtf8(MF_STRING, ID_MENU_ENCRYPT, "加密");
  if (upgradable) menu.AppendMenuUtf8(MF_STRING, ID_MENU_UPGRADE, "升级为强加密");
  const UINT chosen = TrackMenuBeside(menu, item);
  switch (chosen) {
    case ID_MENU_ENCRYPT:
    case ID_MENU_DECRYPT: return RunSelection(FileCommand::kEncrypt);
    case ID_MENU_UPGRADE: return RunSelection(FileCommand::kUpgrade);
    default: return;
  }
}
