// The listing of the current directory into the file list.
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "display_name.h"
#include "file_browser_dlg.h"
#include "fs/file_names.h"
#include "fs/file_system.h"
#include "fs/folder_scan.h"
#include "fs/win_path.h"
#include "message_box.h"
#include "qz/file_cipher.h"
#include "text_conversion.h"

namespace {

// Patterns and full paths must fit the system's limit: a path that would not fit is left
// out rather than cut.
bool PathFits(const std::string& dir, const std::string& tail) {
  return qz::PathLength(dir + tail) <= qz::MaxPathLength();
}

FileEntry* Describe(FileEntry* entry, const qz::FolderEntry& found, int icon) {
  entry->dwAttributes = found.attributes;
  entry->nIcon = icon;
  entry->diskName = found.name;
  entry->name = DisplayName(found.name);
  entry->sortKey = SortKeyOf(entry->name);
  return entry;
}

// Folders, and links to folders, are entered; every other entry is listed with the
// files, where the commands tell why they leave a link or a device alone.
bool ListedAsFolder(const qz::FolderEntry& found) {
  return found.kind == qz::EntryKind::kDirectory ||
         (found.kind == qz::EntryKind::kSymlink && (found.attributes & FILE_ATTRIBUTE_DIRECTORY));
}

// The pattern inside the file type's text: "All files (*.*)" gives "*.*".
std::string PatternOfFileType(const std::string& text) {
  std::string inner = text;
  size_t open = text.rfind('(');
  if (open != std::string::npos) {
    inner = text.substr(open + 1);
    size_t close = inner.rfind(')');
    if (close != std::string::npos) inner.resize(close);
  }
  return inner.empty() ? "*.*" : inner;
}

// The path label's text: the whole path when it fits the label, else its first folder
// and the folder shown around "...", so that a long path still says where the list is.
// Only the screen gets it: the commands use m_strCurrentDir.
std::wstring PathLabelText(HWND label, const std::string& dir) {
  const std::wstring intro = Utf8ToWide("当前路径："), path = Utf8ToWide(dir);
  RECT box = {};
  GetClientRect(label, &box);
  HDC dc = GetDC(label);
  if (!dc) return intro + path;
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0));
  const HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  auto fits = [&](const std::wstring& text) {
    SIZE size = {};
    return GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size) && size.cx <= box.right;
  };
  std::wstring text = intro + path;
  const size_t last = path.size() > 1 ? path.find_last_of(L'\\', path.size() - 2) : std::wstring::npos;
  const size_t first = path.find(L'\\', path.find(L'\\') + 1);
  if (!fits(text) && last != std::wstring::npos && first != std::wstring::npos && first < last) {
    text = intro + path.substr(0, first + 1) + L"..." + path.substr(last);
    // A last folder too long even so: the label's style cuts its end.
    if (!fits(text)) text = intro + L"..." + path.substr(last);
  }
  if (old) SelectObject(dc, old);
  ReleaseDC(label, dc);
  return text;
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
  m_stPath.SetWindowText(PathLabelText(m_stPath.m_hWnd, m_strCurrentDir));
  ListFolders();
  ListFiles();
  SortEntries();
  FillList();
  FreeEntries();
}

void CFileBrowserDlg::ListFolders() {
  wchar_t windowsDir[MAX_PATH] = {};
  GetWindowsDirectoryW(windowsDir, MAX_PATH);
  // Every folder gets the shell's folder icon; the folders themselves are not asked.
  int folderIcon = GetShellIconIndex(qz::Utf8Path(windowsDir).c_str(), TRUE);

  // A pattern beyond the system's limit would be refused anyway: list nothing.
  if (!PathFits(m_strCurrentDir, "*")) return;
  const qz::FolderScan scan = qz::ScanFolder(m_strCurrentDir, "*");
  m_pFolderTail = &m_folderAnchor;
  for (const qz::FolderEntry& found : scan.entries) {
    if (!ListedAsFolder(found) || found.name[0] == '.') continue;
    Describe(AppendEntry(&m_pFolderTail), found, folderIcon);
    ++m_nFolders;
  }
}

void CFileBrowserDlg::ListFiles() {
  const std::string typePattern = PatternOfFileType(m_cbFileType.GetLBText(m_cbFileType.GetCurSel()));
  if (!PathFits(m_strCurrentDir, typePattern)) return;
  const qz::FolderScan scan = qz::ScanFolder(m_strCurrentDir, typePattern);
  m_pFileTail = &m_fileAnchor;
  // The shell is asked by name only, so a file's icon follows its extension: one lookup
  // per extension keeps a large folder from taking seconds.
  std::unordered_map<std::string, int> iconOfExtension;
  for (const qz::FolderEntry& found : scan.entries) {
    if (ListedAsFolder(found)) continue;
    if (!PathFits(m_strCurrentDir, found.name)) continue;
    // The icon follows the stored name: "report.QZ" is not an encrypted file, while
    // "report.AGE" is a strong one (its extension's case does not count).
    int icon = m_nEncryptedIcon;
    if (!qz::IsEncryptedName(found.name)) {
      auto known = iconOfExtension.emplace(ExtensionOf(found.name.c_str()), 0);
      if (known.second) known.first->second = GetShellIconIndex((m_strCurrentDir + found.name).c_str(), FALSE);
      icon = known.first->second;
    }
    Describe(AppendEntry(&m_pFileTail), found, icon);
    ++m_nFiles;
  }
}

void CFileBrowserDlg::SortEntries() {
  SortEntryList(&m_folderAnchor, m_nFolders);
  SortEntryList(&m_fileAnchor, m_nFiles);
}

void CFileBrowserDlg::FillList() {
  m_itemNames.clear();
  LVITEMW item = {};
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
      std::wstring text = Utf8ToWide(entry->name);
      item.pszText = &text[0];
      item.iImage = ListIcon(entry->nIcon);
      item.lParam = static_cast<LPARAM>(entry->dwAttributes);
      if (m_lvFiles.InsertItem(&item) == -1) {
        AfxMessageBox(group.failure, MB_OK);
        break;
      }
      m_itemNames.push_back(entry->diskName);
      int width = m_lvFiles.GetStringWidth(text.c_str());
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

int CFileBrowserDlg::FindItemByDiskName(const std::string& name) const {
  for (size_t item = 0; item < m_itemNames.size(); ++item)
    if (m_itemNames[item] == name) return static_cast<int>(item);
  return -1;
}

int CFileBrowserDlg::SelectedItem() const { return m_lvFiles.GetNextItem(-1, LVNI_SELECTED); }

void CFileBrowserDlg::SelectItem(int item) {
  if (item < 0) return;
  m_lvFiles.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_lvFiles.EnsureVisible(item, FALSE);
}

void CFileBrowserDlg::RefreshKeepingSelection() {
  std::vector<std::string> selected;
  for (int item : SelectedItems()) selected.push_back(ItemName(item));
  const int focused = m_lvFiles.GetNextItem(-1, LVNI_FOCUSED);
  const std::string focusedName = focused >= 0 ? ItemName(focused) : std::string();
  RefreshListing();
  if (selected.empty()) return;
  int first = -1;
  for (const std::string& name : selected) {
    const int item = FindItemByDiskName(name);
    if (item < 0) continue;
    m_lvFiles.SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
    if (first < 0) first = item;
  }
  // The focused item keeps the focus; if it went, the first selected one takes it.
  const int item = FindItemByDiskName(focusedName);
  SelectItem(item >= 0 && (m_lvFiles.GetItemState(item, LVIS_SELECTED) & LVIS_SELECTED) ? item : first);
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

std::string CFileBrowserDlg::ItemName(int item) const {
  if (item >= 0 && static_cast<size_t>(item) < m_itemNames.size()) return m_itemNames[static_cast<size_t>(item)];
  return m_lvFiles.GetItemText(item);
}

bool CFileBrowserDlg::ItemPath(int item, std::string* path) {
  // The name on disk, not the one shown: the output is named from it, and a display
  // name can differ from it in case. Where only the display name ends in ".qz"
  // ("DATA.QZ"), the file is reached through that spelling of its extension, which the
  // engine requires and the file system takes for the same name.
  std::string name = ItemName(item);
  if (qz::HasEncryptedExtension(m_lvFiles.GetItemText(item)) && !qz::HasEncryptedExtension(name))
    name = qz::AppendEncryptedExtension(qz::StripEncryptedExtension(name));
  std::string full = m_strCurrentDir + name;
  if (qz::PathLength(full) > qz::MaxPathLength()) {
    AfxMessageBox("路径太长，无法处理此项。", MB_OK);
    return false;
  }
  *path = std::move(full);
  return true;
}
