#include <algorithm>
#include <cstring>
#include <vector>

#include "file_entry.h"
#include "qz/code_page_936.h"

std::string SortKeyOf(const std::string& utf8Name) {
  std::string key;
  return qz::ToCodePage936(utf8Name, qz::LackingCharacter::kSortsLast, &key) ? key : utf8Name;
}

void SortEntryList(FileEntry* anchor, int count) {
  if (count < 2) return;
  std::vector<FileEntry*> entries;
  entries.reserve(static_cast<size_t>(count));
  for (FileEntry* entry = anchor->pNext; entry; entry = entry->pNext) entries.push_back(entry);
  // Unsigned bytes put double-byte names after ASCII ones. Names code page 936 cannot
  // tell apart ("?") keep an order of their own.
  std::stable_sort(entries.begin(), entries.end(), [](const FileEntry* a, const FileEntry* b) {
    const int byKey = std::strcmp(a->sortKey.c_str(), b->sortKey.c_str());
    return byKey != 0 ? byKey < 0 : std::strcmp(a->name.c_str(), b->name.c_str()) < 0;
  });
  FileEntry* tail = anchor;
  for (FileEntry* entry : entries) {
    tail->pNext = entry;
    tail = entry;
  }
  tail->pNext = nullptr;
}
