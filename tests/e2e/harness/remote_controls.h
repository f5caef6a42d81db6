// Reading the items of the program's drive selector (ComboBoxEx32) and file list
// (SysListView32) from outside the process.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qz::e2e {

struct ComboItem {
  std::string text;  // ANSI bytes as the control holds them
  int image = -1;
  int selected_image = -1;
};

struct ListItem {
  std::string text;  // UTF-8, read as the control's wide text
  int image = -1;
  LPARAM data = 0;
};

// Every item in order; nullopt when the control cannot be read.
std::optional<std::vector<ComboItem>> ReadComboBoxExItems(HWND combo);
// Index of the selected item, -1 when none is selected.
int ComboSelection(HWND combo);
std::optional<std::vector<ListItem>> ReadListViewItems(HWND list);

// Drops the combo box's list down, measures the height of the list's client area, and
// closes the list again.
std::optional<int> DroppedListClientHeight(HWND combo);
// CB_GETITEMHEIGHT: index -1 is the selection field; -1 on failure.
int ComboItemHeight(HWND combo, int index);
int ComboCount(HWND combo);

}  // namespace qz::e2e
