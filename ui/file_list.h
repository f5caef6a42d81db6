// The main window's file list: its items (folders, then files, by display name), each
// remembering its name on disk, and the selection among them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "controls.h"
#include "listing/folder_listing.h"

class CFileList {
 public:
  CListCtrl& Control() { return m_lvFiles; }
  HWND Handle() const { return m_lvFiles.m_hWnd; }

  void Clear();
  // Lists entries in their order, each with the image imageOf gives for its icon; the
  // first item takes the focus.
  void Show(const std::vector<ListedEntry>& entries, const std::function<int(int icon)>& imageOf);
  // The widest item text in pixels, which sets the column width.
  int WidestText() const { return m_nMaxTextWidth; }
  int Count() const { return m_lvFiles.GetItemCount(); }

  // Listed with the folders, by the listing's rule (FolderKindOf).
  bool IsFolder(int item) const;
  std::string Text(int item) const { return m_lvFiles.GetItemText(item); }
  // The item's name on disk (UTF-8), as the listing found it.
  std::string DiskName(int item) const;
  // The item whose text is exactly text, -1 when none.
  int Find(const std::string& text) const;
  // The item whose name on disk is exactly name, -1 when none.
  int FindByDiskName(const std::string& name) const;

  // The first selected item, -1 when none.
  int Selected() const { return m_lvFiles.GetNextItem(-1, LVNI_SELECTED); }
  std::vector<int> SelectedItems() const;
  int SelectedCount() const { return m_lvFiles.GetSelectedCount(); }
  bool IsSelected(int item) const { return (m_lvFiles.GetItemState(item, LVIS_SELECTED) & LVIS_SELECTED) != 0; }
  // The item the keyboard's context menu is for: the focused one if selected, else the
  // first selected; -1 when none.
  int MenuItem() const;
  // Selects and focuses the item and scrolls it into view.
  void Select(int item);
  void SelectAll();
  // With nothing selected, the first arrow key selects the focused item: the list itself
  // would move on from it. True when msg was that key.
  bool SelectFocusedOnArrow(const MSG& msg);

  // The selected items by name, to select again after a new listing where still there.
  struct Selection {
    std::vector<std::string> names;
    std::string focused;
  };
  Selection Remember() const;
  void Restore(const Selection& selection);

 private:
  CListCtrl m_lvFiles;
  std::vector<std::string> m_itemNames;  // each item's name on disk, by index
  std::vector<bool> m_itemFolders;       // and whether it was listed as a folder
  int m_nMaxTextWidth = 0;
};
