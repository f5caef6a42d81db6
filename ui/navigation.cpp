// Moving through folders: a double-click enters a folder (or runs a file's command), the
// back button and Backspace go up, and a folder shown by path selects its drive.
#include <string>

#include "file_browser_dlg.h"
#include "fs/file_system.h"
#include "listing/display_name.h"
#include "message_box.h"
#include "fs/file_names.h"

void CFileBrowserDlg::OnListDblClick(NMHDR* header, LRESULT* result) {
  *result = 0;
  ActivateItem(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem);
}

void CFileBrowserDlg::ActivateItem(int item) {
  if (item == -1) return;
  if (m_list.IsFolder(item)) {
    // The new folder must still take a pattern ("*") within the system's limit.
    const std::string folder = m_strCurrentDir + m_list.DiskName(item) + "\\";
    if (qz::PathLength(folder) + 1 > qz::MaxPathLength()) {
      AfxMessageBox("路径太长，无法进入此目录。", MB_OK);
      return;
    }
    m_strCurrentDir = folder;
    RefreshListing();
    return;
  }
  std::string path;
  if (!ItemPath(item, &path)) return;
  if (qz::IsEncryptedName(path))
    DecryptOneFile(path.c_str());
  else
    EncryptOneFile(path.c_str());
}

void CFileBrowserDlg::EncryptOneFile(const char* path) { m_commands.RunFile(FileCommand::kEncrypt, path); }

void CFileBrowserDlg::DecryptOneFile(const char* path) { m_commands.RunFile(FileCommand::kDecrypt, path); }

bool CFileBrowserDlg::ItemPath(int item, std::string* path) {
  // The name on disk, not the one shown: the output is named from it, and a display
  // name can differ from it in case. Where only the display name ends in ".qz"
  // ("DATA.QZ"), the file is reached through that spelling of its extension, which the
  // engine requires and the file system takes for the same name.
  std::string name = m_list.DiskName(item);
  if (qz::HasEncryptedExtension(m_list.Text(item)) && !qz::HasEncryptedExtension(name))
    name = qz::AppendEncryptedExtension(qz::StripEncryptedExtension(name));
  std::string full = m_strCurrentDir + name;
  if (qz::PathLength(full) > qz::MaxPathLength()) {
    AfxMessageBox("路径太长，无法处理此项。", MB_OK);
    return false;
  }
  *path = std::move(full);
  return true;
}

void CFileBrowserDlg::OnBackToParent() {
  size_t length = m_strCurrentDir.size();
  if (length == 3) {
    AfxMessageBox("已经到了根目录了！", MB_OK);
    return;
  }
  if (length == 0) return;
  std::string parent(m_strCurrentDir, 0, length - 1);
  size_t separator = qz::LastSeparator(parent);
  if (separator == std::string::npos) return;
  std::string left = parent.substr(separator + 1);
  m_strCurrentDir.resize(separator + 1);
  RefreshListing();
  // The folder one came from; a path typed or dropped in another case is found by the
  // name the list shows.
  const int item = m_list.FindByDiskName(left);
  m_list.Select(item >= 0 ? item : m_list.Find(DisplayName(left)));
}

void CFileBrowserDlg::OnSelchangeDrive() {
  const char* root = m_drives.Choose();
  if (!root) return;
  m_strCurrentDir = root;
  RefreshListing();
}

void CFileBrowserDlg::OnListKeyDown(NMHDR* header, LRESULT* result) {
  *result = 0;
  switch (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey) {
    case VK_BACK: OnBackToParent(); break;
    case VK_F5: RefreshKeepingSelection(); break;
    case 'A':
      if (GetKeyState(VK_CONTROL) < 0) m_list.SelectAll();
      break;
    default: break;
  }
}

void CFileBrowserDlg::ShowFolder(const std::string& folder) {
  std::string dir = folder;
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  m_strCurrentDir = dir;
  m_drives.ShowDriveOf(dir);
  RefreshListing();
}
