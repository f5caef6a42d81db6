// One listed folder or file while a listing is built.
#pragma once

#include <windows.h>

struct FileEntry {
  int nIcon;
  DWORD dwAttributes;
  char szName[MAX_PATH];  // display name, ANSI
  FileEntry* pNext;
};

// Sorts the list after anchor by name, byte-wise (unsigned, shorter prefix first); equal
// names keep their order. Stable and O(n log n); the links are rearranged.
void SortEntryList(FileEntry* anchor, int count);
