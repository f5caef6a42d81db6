#include <algorithm>
#include <cstring>
#include <vector>

#include "file_entry.h"

void SortEntryList(FileEntry* anchor, int count) {
  if (count < 2) return;
  std::vector<FileEntry*> entries;
  entries.reserve(static_cast<size_t>(count));
  for (FileEntry* entry = anchor->pNext; entry; entry = entry->pNext) entries.push_back(entry);
  // strcmp compares as unsigned bytes, which puts double-byte names after ASCII ones.
  std::stable_sort(entries.begin(), entries.end(), [](const FileEntry* a, const FileEntry* b) {
    return std::strcmp(a->szName, b->szName) < 0;
  });
  FileEntry* tail = anchor;
  for (FileEntry* entry : entries) {
    tail->pNext = entry;
    tail = entry;
  }
  tail->pNext = nullptr;
}
