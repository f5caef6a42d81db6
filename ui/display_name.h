// Display names of listed entries: ASCII letters lower-cased, the first letter and each
// letter after a space upper-cased. Only ASCII bytes change; the trail byte of a
// double-byte character is never touched.
#pragma once

#include <string>

// isLeadByte tells whether a byte starts a double-byte character of the name's encoding.
void CapitalizeWords(char* name, bool (*isLeadByte)(unsigned char));
// The same for a UTF-8 name, the program's own form (no UTF-8 byte of a character
// beyond ASCII looks like a letter).
void CapitalizeWords(char* name);
std::string DisplayName(const std::string& utf8Name);
