// The file list's context menus, drawn by the program beside the item they were opened
// for. Each gives the command chosen (ID_MENU_ENCRYPT, ID_MENU_DECRYPT, ID_MENU_UPGRADE),
// 0 for none.
#pragma once

#include <windows.h>

#include <string>

#include "file_list.h"

class COwnerDrawMenu;
class CWnd;

class CListMenus {
 public:
  // owner gets the menu's messages; list holds the items.
  CListMenus(CWnd& owner, CFileList& list) : m_owner(owner), m_list(list) {}

  // One item's menu: the commands of a folder, or of a file at path by its extension.
  UINT ForItem(int item, const std::string& path, bool folder);
  // The menu of several selected items, beside item: named for what Enter does to their
  // files, with the upgrade when one is a ".qz" file.
  UINT ForSelection(int item);

 private:
  UINT TrackBeside(COwnerDrawMenu& menu, int item);
  // Where the menu of item opens, in screen coordinates.
  POINT MenuPointOf(int item);

  CWnd& m_owner;
  CFileList& m_list;
};
