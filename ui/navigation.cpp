// Moving through folders: a double-click enters a folder (or runs a file's command), the
// back button and Backspace go up, and a folder shown by path selects its drive.
#include <cstring>
#include <string>

#include "display_name.h"
#include "file_browser_dlg.h"
#include "fs/file_names.h"
#include "message_box.h"

void CFileBrowserDlg::OnListDblClick(NMHDR* header, LRESULT* result) {
  *result = 0;
  ActivateItem(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem);
}

void CFileBrowserDlg::ActivateItem(int item) {
  if (item == -1) return;
  if (m_lvFiles.GetItemData(item) & FILE_ATTRIBUTE_DIRECTORY) {
    const std::string name = ItemName(item);
    // The new folder must still take a pattern ("*") within the system's limit.
    const std::string folder = m_strCurrentDir + name + "\\";
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
  const int item = FindItemByDiskName(left);
  SelectItem(item >= 0 ? item : FindItem(DisplayName(left)));
}

void CFileBrowserDlg::OnSelchangeDrive() {
  m_nDrive = m_cbDrive.GetCurSel();
  const char* root = reinterpret_cast<const char*>(m_cbDrive.GetItemData(m_nDrive));
  if (m_nDrive < 0 || !root || reinterpret_cast<DWORD_PTR>(root) == static_cast<DWORD_PTR>(CB_ERR))
    return;
  m_strCurrentDir = root;
  RefreshListing();
}

void CFileBrowserDlg::OnListKeyDown(NMHDR* header, LRESULT* result) {
  *result = 0;
  switch (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey) {
    case VK_BACK: OnBackToParent(); break;
    case VK_F5: RefreshKeepingSelection(); break;
    case 'A':
      if (GetKeyState(VK_CONTROL) < 0) SelectAll();
      break;
    default: break;
  }
}

void CFileBrowserDlg::ShowFolder(const std::string& folder) {
  std::string dir = folder;
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  m_strCurrentDir = dir;
  // The drive selector follows, as if the drive had been chosen there.
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  m_nDrive = -1;
  for (int i = 0, count = m_cbDrive.GetCount(); dir[1] == ':' && i < count; ++i) {
    const DWORD_PTR data = m_cbDrive.GetItemData(i);
    if (data && data != static_cast<DWORD_PTR>(CB_ERR) &&
        *reinterpret_cast<const char*>(data) == upper(dir[0])) {
      m_nDrive = i;
      break;
    }
  }
  m_cbDrive.SetCurSel(m_nDrive);
  RefreshListing();
}
