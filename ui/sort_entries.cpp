#include <algorithm>
#include <cstring>
#include <vector>

#include "file_entry.h"
#include "win_path.h"

namespace {

constexpr UINT kListCodePage = 936;

std::string ToListCodePage(const wchar_t* wide, int length, bool* lacking) {
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(kListCodePage, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0,
                                       nullptr, &usedDefault);
  *lacking = size <= 0 || usedDefault;
  if (*lacking) return std::string();
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(kListCodePage, WC_NO_BEST_FIT_CHARS, wide, length, &bytes[0], size, nullptr, nullptr);
  return bytes;
}

}  // namespace

std::string SortKeyOf(const std::string& utf8Name) {
  const std::wstring wide = qz::WidePath(utf8Name);
  bool lacking = false;
  std::string key = ToListCodePage(wide.c_str(), static_cast<int>(wide.size()), &lacking);
  if (!lacking) return key;
  // Rare: character by character (a surrogate pair is one character).
  for (size_t i = 0; i < wide.size(); ++i) {
    const bool pair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size();
    const std::string bytes = ToListCodePage(&wide[i], pair ? 2 : 1, &lacking);
    key += lacking ? std::string("\xFF\xFF") : bytes;
    if (pair) ++i;
  }
  return key;
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
