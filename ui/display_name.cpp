#include "display_name.h"

#include <windows.h>

void CapitalizeWords(char* name, bool (*isLeadByte)(unsigned char)) {
  bool startOfWord = true;
  for (unsigned char* p = reinterpret_cast<unsigned char*>(name); *p; ++p) {
    if (isLeadByte(*p) && p[1] != 0) {
      ++p;  // the trail byte may look like an ASCII letter
      startOfWord = false;
      continue;
    }
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<unsigned char>(*p + ('a' - 'A'));
    if (startOfWord) {
      if (*p >= 'a' && *p <= 'z') *p = static_cast<unsigned char>(*p - ('a' - 'A'));
      startOfWord = false;
    }
    if (*p == ' ') startOfWord = true;
  }
}

void CapitalizeWords(char* name) {
  CapitalizeWords(name, [](unsigned char) { return false; });
}

std::string DisplayName(const std::string& utf8Name) {
  std::string name = utf8Name;
  CapitalizeWords(&name[0]);
  return name;
}
