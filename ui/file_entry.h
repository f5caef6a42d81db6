// One listed folder or file while a listing is built.
#pragma once

#include <windows.h>

#include <string>

struct FileEntry {
  int nIcon;
  DWORD dwAttributes;
  std::string name;      // display name, UTF-8
  std::string diskName;  // the name as on disk, UTF-8: what an operation opens
  std::string sortKey;   // SortKeyOf the display name
  FileEntry* pNext;
};

// The order the list has always had: the name's code page 936 bytes, each character
// that code page lacks as 0xFF 0xFF (after every other character).
std::string SortKeyOf(const std::string& utf8Name);
// Sorts the list after anchor by sort key, byte-wise (unsigned, shorter prefix first),
// then by name; equal entries keep their order. Stable and O(n log n); the links are
// rearranged.
void SortEntryList(FileEntry* anchor, int count);
