// Display names of listed entries: ASCII letters lower-cased, the first letter and each
// letter after a space upper-cased. Names are UTF-8, where no byte of a character beyond
// ASCII looks like a letter, so only ASCII letters ever change.
#pragma once

#include <string>

void CapitalizeWords(char* name);
std::string DisplayName(const std::string& utf8Name);
