#include "expected_listing.h"

#include <algorithm>
#include <cstring>

namespace qz::e2e {

namespace {

constexpr UINT kCodePage = 936;

bool ByteLess(const ExpectedEntry& a, const ExpectedEntry& b) {
  // std::string compares char, which is signed here; the display order is unsigned.
  return std::lexicographical_compare(
      a.display.begin(), a.display.end(), b.display.begin(), b.display.end(),
      [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
}

}  // namespace

std::vector<std::string> ExpectedDriveItems() {
  char buffer[26 * 4 + 2] = {};
  GetLogicalDriveStringsA(sizeof buffer, buffer);
  std::vector<std::string> items;
  for (const char* p = buffer; *p; p += std::strlen(p) + 1) {
    char letter = *p;
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    items.push_back(std::string("(") + letter + ":)");
  }
  return items;
}

std::string DisplayName(const std::string& stored_name) {
  std::string name = stored_name;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsDBCSLeadByteEx(kCodePage, c)) {
      ++i;
      continue;
    }
    if (c >= 'A' && c <= 'Z') name[i] = static_cast<char>(c - 'A' + 'a');
  }
  bool capital = true;
  for (char& ch : name) {
    if (capital) {
      if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
      capital = false;
    }
    if (ch == ' ') capital = true;
  }
  return name;
}

std::vector<ExpectedEntry> ExpectedListing(const std::string& dir) {
  std::vector<ExpectedEntry> folders, files;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((dir + "*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      ExpectedEntry entry{data.cFileName, DisplayName(data.cFileName), data.dwFileAttributes,
                          (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
      if (!entry.folder)
        files.push_back(entry);
      else if (data.cFileName[0] != '.')
        folders.push_back(entry);
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  std::stable_sort(folders.begin(), folders.end(), ByteLess);
  std::stable_sort(files.begin(), files.end(), ByteLess);
  folders.insert(folders.end(), files.begin(), files.end());
  return folders;
}

}  // namespace qz::e2e
