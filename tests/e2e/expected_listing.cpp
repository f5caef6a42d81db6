#include "expected_listing.h"

#include <cstring>

namespace qz::e2e {

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

}  // namespace qz::e2e
