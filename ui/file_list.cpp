#include "file_list.h"

#include "message_box.h"
#include "text_conversion.h"

void CFileList::Clear() {
  m_nMaxTextWidth = 0;
  m_itemNames.clear();
  m_itemFolders.clear();
  m_lvFiles.DeleteAllItems();
}

void CFileList::Show(const std::vector<ListedEntry>& entries, const std::function<int(int icon)>& imageOf) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  int items = 0;
  // A failed insertion ends its group (folders or files), told once.
  bool failedFolders = false, failedFiles = false;
  // Repainting after every insertion would make a large folder take minutes.
  m_lvFiles.SendMessage(WM_SETREDRAW, FALSE);
  for (const ListedEntry& entry : entries) {
    bool& failed = entry.folder ? failedFolders : failedFiles;
    if (failed) continue;
    item.iItem = items;
    std::wstring text = Utf8ToWide(entry.name);
    item.pszText = &text[0];
    item.iImage = imageOf(entry.icon);
    item.lParam = static_cast<LPARAM>(entry.attributes);
    if (m_lvFiles.InsertItem(&item) == -1) {
      AfxMessageBox(entry.folder ? "添加目录或文件出错!" : "添加文件列表出错!", MB_OK);
      failed = true;
      continue;
    }
    m_itemNames.push_back(entry.diskName);
    m_itemFolders.push_back(entry.folder);
    int width = m_lvFiles.GetStringWidth(text.c_str());
    if (width > m_nMaxTextWidth) m_nMaxTextWidth = width;
    ++items;
  }
  m_lvFiles.SendMessage(WM_SETREDRAW, TRUE);
  InvalidateRect(m_lvFiles.m_hWnd, nullptr, TRUE);
  m_lvFiles.SetColumnWidth(-1, (m_nMaxTextWidth + 35) & 0xFFFF);
  // The first item takes the focus but not the selection: without a focused item the
  // first Down would go to the second.
  if (items > 0) m_lvFiles.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
}

std::string CFileList::DiskName(int item) const {
  if (item >= 0 && static_cast<size_t>(item) < m_itemNames.size()) return m_itemNames[static_cast<size_t>(item)];
  return m_lvFiles.GetItemText(item);
}

bool CFileList::IsFolder(int item) const {
  return item >= 0 && static_cast<size_t>(item) < m_itemFolders.size() && m_itemFolders[static_cast<size_t>(item)];
}

int CFileList::Find(const std::string& text) const {
  for (int item = 0, count = m_lvFiles.GetItemCount(); item < count; ++item)
    if (m_lvFiles.GetItemText(item) == text) return item;
  return -1;
}

int CFileList::FindByDiskName(const std::string& name) const {
  for (size_t item = 0; item < m_itemNames.size(); ++item)
    if (m_itemNames[item] == name) return static_cast<int>(item);
  return -1;
}

std::vector<int> CFileList::SelectedItems() const {
  std::vector<int> items;
  for (int item = m_lvFiles.GetNextItem(-1, LVNI_SELECTED); item >= 0; item = m_lvFiles.GetNextItem(item, LVNI_SELECTED))
    items.push_back(item);
  return items;
}

int CFileList::MenuItem() const {
  const int focused = m_lvFiles.GetNextItem(-1, LVNI_FOCUSED | LVNI_SELECTED);
  return focused >= 0 ? focused : Selected();
}

void CFileList::Select(int item) {
  if (item < 0) return;
  m_lvFiles.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_lvFiles.EnsureVisible(item, FALSE);
}

void CFileList::SelectAll() {
  if (m_lvFiles.GetItemCount() == 0) return;
  m_lvFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  // The focus stays where it was; without one, the first item takes it.
  if (m_lvFiles.GetNextItem(-1, LVNI_FOCUSED) < 0) m_lvFiles.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
}

bool CFileList::SelectFocusedOnArrow(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.hwnd != m_lvFiles.m_hWnd || GetKeyState(VK_CONTROL) < 0 ||
      GetKeyState(VK_SHIFT) < 0)
    return false;
  switch (msg.wParam) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT:
      if (Selected() < 0 && m_lvFiles.GetNextItem(-1, LVNI_FOCUSED) >= 0) {
        Select(m_lvFiles.GetNextItem(-1, LVNI_FOCUSED));
        return true;
      }
      return false;
    default:
      return false;
  }
}

CFileList::Selection CFileList::Remember() const {
  Selection selection;
  for (int item : SelectedItems()) selection.names.push_back(DiskName(item));
  const int focused = m_lvFiles.GetNextItem(-1, LVNI_FOCUSED);
  if (focused >= 0) selection.focused = DiskName(focused);
  return selection;
}

void CFileList::Restore(const Selection& selection) {
  if (selection.names.empty()) return;
  int first = -1;
  for (const std::string& name : selection.names) {
    const int item = FindByDiskName(name);
    if (item < 0) continue;
    m_lvFiles.SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
    if (first < 0) first = item;
  }
  // The focused item keeps the focus; if it went, the first selected one takes it.
  const int item = FindByDiskName(selection.focused);
  Select(item >= 0 && IsSelected(item) ? item : first);
}
