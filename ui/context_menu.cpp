// The file list's context menu, from the mouse (a right-click on an item) and from the
// keyboard (the menu key or Shift+F10 on the selected item): each command acts on the
// item the menu was opened for, or on the selection when it was opened on one of several
// selected items. Several selected items (Ctrl and Shift clicks, Ctrl+A) are one batch of
// their files, the way a drop of the same files is; folders among them are counted.
#include <string>
#include <utility>
#include <vector>

#include "file_browser_dlg.h"
#include "folder_reading.h"
#include "fs/file_names.h"
#include "resource.h"

namespace {
constexpr char kFoldersLeft[] = "多选时只处理文件，%s 个目录未作处理。";
}  // namespace

void CFileBrowserDlg::OnListRClick(NMHDR* header, LRESULT* result) {
  *result = 0;
  const int item = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
  if (item == -1) return;
  ShowContextMenu(item);
}

void CFileBrowserDlg::OnContextMenu(HWND window, POINT screen) {
  // A right-click already got its menu through NM_RCLICK; this is the keyboard's.
  if (window != m_list.Handle() || screen.x != -1 || screen.y != -1) return;
  const int item = m_list.MenuItem();
  if (item < 0) return;
  m_list.Control().EnsureVisible(item, FALSE);
  ShowContextMenu(item);
}

void CFileBrowserDlg::ShowContextMenu(int item) {
  // The list keeps a selection when one of its items is right-clicked.
  if (m_list.SelectedCount() > 1 && m_list.IsSelected(item)) {
    switch (m_menus.ForSelection(item)) {
      case ID_MENU_ENCRYPT:
      case ID_MENU_DECRYPT: return RunSelection(FileCommand::kEncrypt);
      case ID_MENU_UPGRADE: return RunSelection(FileCommand::kUpgrade);
      default: return;
    }
  }
  std::string path;
  if (!ItemPath(item, &path)) return;
  // The command comes back here, so it runs with the item the menu belongs to.
  switch (m_menus.ForItem(item, path, FolderKindOfPath(path) == FolderKind::kFolder)) {
    case ID_MENU_ENCRYPT: return RunItemCommand(FileCommand::kEncrypt, item);
    case ID_MENU_DECRYPT: return RunItemCommand(FileCommand::kDecrypt, item);
    case ID_MENU_UPGRADE: return RunItemCommand(FileCommand::kUpgrade, item);
    default: return;
  }
}

// The same commands sent on their own act on the selected item, or on the selection, as
// the keyboard's menu would.
void CFileBrowserDlg::OnMenuEncrypt() {
  if (m_list.SelectedCount() > 1) return RunSelection(FileCommand::kEncrypt);
  RunItemCommand(FileCommand::kEncrypt, m_list.Selected());
}

void CFileBrowserDlg::OnMenuDecrypt() {
  if (m_list.SelectedCount() > 1) return RunSelection(FileCommand::kDecrypt);
  RunItemCommand(FileCommand::kDecrypt, m_list.Selected());
}

void CFileBrowserDlg::OnMenuUpgrade() {
  if (m_list.SelectedCount() > 1) return RunSelection(FileCommand::kUpgrade);
  RunItemCommand(FileCommand::kUpgrade, m_list.Selected());
}

void CFileBrowserDlg::RunItemCommand(FileCommand command, int item) {
  std::string path;
  if (item < 0 || !ItemPath(item, &path)) return;
  // A folder by the rule the listing uses; a link to a folder is left alone as a file.
  if (FolderKindOfPath(path) == FolderKind::kFolder) return m_commands.RunFolder(command, path);
  // On a file, "解密" of a plain file encrypts it, as a double-click would.
  if (command == FileCommand::kDecrypt && !qz::IsEncryptedName(path)) command = FileCommand::kEncrypt;
  m_commands.RunFile(command, path);
}

void CFileBrowserDlg::RunSelection(FileCommand command) {
  std::vector<std::string> paths;
  for (int item : m_list.SelectedItems()) {
    std::string path;
    // One item that cannot be reached stops the batch before it begins.
    if (!ItemPath(item, &path)) return;
    paths.push_back(std::move(path));
  }
  if (paths.empty()) return;
  m_commands.RunPaths(paths, command, kFoldersLeft, nullptr);
}
