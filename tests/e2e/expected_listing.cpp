#include "expected_listing.h"

#include <algorithm>
#include <cstring>

#include "harness/shared.h"

namespace qz::e2e {

namespace {

// The list's order: the display name's code page 936 bytes, each character that code
// page lacks after all others, then the UTF-8 bytes.
std::string OrderKey(const std::string& utf8) {
  std::string key;
  const std::wstring wide = Utf8ToWide(utf8);
  for (size_t i = 0; i < wide.size(); ++i) {
    const int units = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() ? 2 : 1;
    char bytes[4] = {};
    BOOL lacking = FALSE;
    const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &wide[i], units, bytes, 4, nullptr, &lacking);
    key += n <= 0 || lacking ? std::string("\xFF\xFF") : std::string(bytes, static_cast<size_t>(n));
    i += static_cast<size_t>(units - 1);
  }
  return key;
}

bool ByteLess(const ExpectedEntry& a, const ExpectedEntry& b) {
  const std::string ka = OrderKey(a.display), kb = OrderKey(b.display);
  // std::string compares char, which is signed here; the display order is unsigned.
  auto unsignedLess = [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); };
  if (ka != kb) return std::lexicographical_compare(ka.begin(), ka.end(), kb.begin(), kb.end(), unsignedLess);
  return std::lexicographical_compare(a.display.begin(), a.display.end(), b.display.begin(), b.display.end(),
                                      unsignedLess);
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
  // UTF-8: no byte of a character beyond ASCII looks like a letter.
  std::string name = stored_name;
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
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
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(Utf8ToWide(dir + "*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = WideToUtf8(data.cFileName);
      ExpectedEntry entry{name, DisplayName(name), data.dwFileAttributes,
                          (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
      if (!entry.folder)
        files.push_back(entry);
      else if (data.cFileName[0] != '.')
        folders.push_back(entry);
    } while (FindNextFileW(search, &data));
    FindClose(search);
  }
  std::stable_sort(folders.begin(), folders.end(), ByteLess);
  std::stable_sort(files.begin(), files.end(), ByteLess);
  folders.insert(folders.end(), files.begin(), files.end());
  return folders;
}

}  // namespace qz::e2e
