// What the program should show, computed independently from the file system: the drive
// items and the listing of a folder with the display rules.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qz::e2e {

// "(C:)" and so on, one per drive in the order the system reports them.
std::vector<std::string> ExpectedDriveItems();

// Lower-cases ASCII letters (never the trail byte of a code page 936 character), then
// upper-cases the first byte and every byte after a space when they are ASCII letters.
std::string DisplayName(const std::string& stored_name);

struct ExpectedEntry {
  std::string stored_name;  // as the directory search returns it
  std::string display;      // the item text
  DWORD attributes = 0;     // the item data
  bool folder = false;
};

// Folders (not starting with '.') then files, each group sorted byte-wise by display
// name. `dir` ends with a backslash.
std::vector<ExpectedEntry> ExpectedListing(const std::string& dir);

}  // namespace qz::e2e
