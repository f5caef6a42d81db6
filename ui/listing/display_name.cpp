#include "listing/display_name.h"

void CapitalizeWords(char* name) {
  bool startOfWord = true;
  for (unsigned char* p = reinterpret_cast<unsigned char*>(name); *p; ++p) {
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<unsigned char>(*p + ('a' - 'A'));
    if (startOfWord) {
      if (*p >= 'a' && *p <= 'z') *p = static_cast<unsigned char>(*p - ('a' - 'A'));
      startOfWord = false;
    }
    if (*p == ' ') startOfWord = true;
  }
}

std::string DisplayName(const std::string& utf8Name) {
  std::string name = utf8Name;
  CapitalizeWords(&name[0]);
  return name;
}
