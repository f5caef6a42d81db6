// The listing of the current directory into the file list.
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

#include "display_name.h"
#include "file_browser_dlg.h"
#include "folder_scan.h"
#include "message_box.h"
#include "qz_name.h"
#include "text_conversion.h"

namespace {

// Patterns and full paths are built in MAX_PATH bytes, the limit of the A functions:
// a path that would not fit is left out rather than cut.
bool JoinPath(char (&buffer)[MAX_PATH], const char* dir, const char* tail) {
  int written = std::snprintf(buffer, sizeof(buffer), "%s%s", dir, tail);
  return written >= 0 && static_cast<size_t>(written) < sizeof(buffer);
}

// The pattern inside the file type's text: "All files (*.*)" gives "*.*".
void PatternOfFileType(const std::string& text, char (&pattern)[MAX_PATH]) {
  std::string inner = text;
  size_t open = text.rfind('(');
  if (open != std::string::npos) {
    inner = text.substr(open + 1);
    size_t close = inner.rfind(')');
    if (close != std::string::npos) inner.resize(close);
  }
  if (inner.empty() || inner.size() >= sizeof(pattern)) inner = "*.*";
  std::strcpy(pattern, inner.c_str());
}

// The bytes after the name's last dot, "" when it has none.
std::string ExtensionOf(const char* name) {
  const char* dot = std::strrchr(name, '.');
  return dot ? std::string(dot + 1) : std::string();
}

}  // namespace

FileEntry* CFileBrowserDlg::AppendEntry(FileEntry** tail) {
  FileEntry* entry = new FileEntry();
  entry->pNext = nullptr;
  (*tail)->pNext = entry;
  *tail = entry;
  return entry;
}

void CFileBrowserDlg::RefreshListing() {
  FreeEntries();
  m_nMaxTextWidth = 0;
  m_lvFiles.DeleteAllItems();
  m_stPath.SetWindowText(Utf8ToWide("当前路径：") + AnsiToWide(m_szCurrentDir));
  ListFolders();
  ListFiles();
  SortEntries();
  FillList();
  FreeEntries();
}

void CFileBrowserDlg::ListFolders() {
  char windowsDir[MAX_PATH] = {};
  GetWindowsDirectoryA(windowsDir, sizeof(windowsDir));
  // Every folder gets the shell's folder icon; the folders themselves are not asked.
  int folderIcon = GetShellIconIndex(windowsDir, TRUE);

  // A pattern beyond the A functions' limit would be refused anyway: list nothing.
  char pattern[MAX_PATH];
  if (!JoinPath(pattern, m_szCurrentDir, "*")) return;
  const qz::FolderScan scan = qz::ScanFolder(m_szCurrentDir, "*");
  m_pFolderTail = &m_folderAnchor;
  for (const qz::FolderEntry& found : scan.entries) {
    if (!(found.attributes & FILE_ATTRIBUTE_DIRECTORY) || found.name[0] == '.') continue;
    if (found.name.size() >= sizeof(FileEntry::szName)) continue;
    FileEntry* entry = AppendEntry(&m_pFolderTail);
    entry->dwAttributes = found.attributes;
    entry->nIcon = folderIcon;
    std::strcpy(entry->szName, found.name.c_str());
    CapitalizeWords(entry->szName);
    ++m_nFolders;
  }
}

void CFileBrowserDlg::ListFiles() {
  char typePattern[MAX_PATH];
  PatternOfFileType(m_cbFileType.GetLBText(m_cbFileType.GetCurSel()), typePattern);
  char pattern[MAX_PATH];
  if (!JoinPath(pattern, m_szCurrentDir, typePattern)) return;
  const qz::FolderScan scan = qz::ScanFolder(m_szCurrentDir, typePattern);
  m_pFileTail = &m_fileAnchor;
  // The shell is asked by name only, so a file's icon follows its extension: one lookup
  // per extension keeps a large folder from taking seconds.
  std::unordered_map<std::string, int> iconOfExtension;
  for (const qz::FolderEntry& found : scan.entries) {
    if (found.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    char fullPath[MAX_PATH];
    if (!JoinPath(fullPath, m_szCurrentDir, found.name.c_str())) continue;
    if (found.name.size() >= sizeof(FileEntry::szName)) continue;
    FileEntry* entry = AppendEntry(&m_pFileTail);
    entry->dwAttributes = found.attributes;
    // The icon follows the stored name: "report.QZ" is not an encrypted file.
    if (qz::HasEncryptedExtension(found.name)) {
      entry->nIcon = m_nEncryptedIcon;
    } else {
      auto known = iconOfExtension.emplace(ExtensionOf(found.name.c_str()), 0);
      if (known.second) known.first->second = GetShellIconIndex(fullPath, FALSE);
      entry->nIcon = known.first->second;
    }
    std::strcpy(entry->szName, found.name.c_str());
    CapitalizeWords(entry->szName);
    ++m_nFiles;
  }
}

void CFileBrowserDlg::SortEntries() {
  SortEntryList(&m_folderAnchor, m_nFolders);
  SortEntryList(&m_fileAnchor, m_nFiles);
}

void CFileBrowserDlg::FillList() {
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iSubItem = 0;
  struct Group {
    FileEntry* head;
    const char* failure;
  };
  const Group groups[] = {{m_folderAnchor.pNext, "添加目录或文件出错!"},
                          {m_fileAnchor.pNext, "添加文件列表出错!"}};
  // Repainting after every insertion would make a large folder take minutes.
  m_lvFiles.SendMessage(WM_SETREDRAW, FALSE);
  for (const Group& group : groups) {
    for (FileEntry* entry = group.head; entry; entry = entry->pNext) {
      item.iItem = m_nItems;
      item.pszText = entry->szName;
      item.iImage = entry->nIcon;
      item.lParam = static_cast<LPARAM>(entry->dwAttributes);
      if (m_lvFiles.InsertItem(&item) == -1) {
        AfxMessageBox(group.failure, MB_OK);
        break;
      }
      int width = m_lvFiles.GetStringWidth(entry->szName);
      if (width > m_nMaxTextWidth) m_nMaxTextWidth = width;
      ++m_nItems;
    }
  }
  m_lvFiles.SendMessage(WM_SETREDRAW, TRUE);
  InvalidateRect(m_lvFiles.m_hWnd, nullptr, TRUE);
  m_lvFiles.SetColumnWidth(-1, (m_nMaxTextWidth + 35) & 0xFFFF);
  // The first item takes the focus but not the selection: without a focused item the
  // first Down would go to the second.
  if (m_nItems > 0) m_lvFiles.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
}

int CFileBrowserDlg::FindItem(const std::string& text) const {
  for (int item = 0, count = m_lvFiles.GetItemCount(); item < count; ++item)
    if (m_lvFiles.GetItemText(item) == text) return item;
  return -1;
}

int CFileBrowserDlg::SelectedItem() const { return m_lvFiles.GetNextItem(-1, LVNI_SELECTED); }

void CFileBrowserDlg::SelectItem(int item) {
  if (item < 0) return;
  m_lvFiles.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_lvFiles.EnsureVisible(item, FALSE);
}

void CFileBrowserDlg::RefreshKeepingSelection() {
  const int selected = SelectedItem();
  const std::string text = selected >= 0 ? m_lvFiles.GetItemText(selected) : std::string();
  RefreshListing();
  if (selected >= 0) SelectItem(FindItem(text));
}

void CFileBrowserDlg::FreeEntries() {
  m_nItems = 0;
  for (FileEntry* anchor : {&m_folderAnchor, &m_fileAnchor}) {
    FileEntry* entry = anchor->pNext;
    while (entry) {
      FileEntry* next = entry->pNext;
      delete entry;
      entry = next;
    }
    anchor->pNext = nullptr;
  }
  m_nFolders = 0;
  m_nFiles = 0;
  m_pFolderTail = &m_folderAnchor;
  m_pFileTail = &m_fileAnchor;
}
