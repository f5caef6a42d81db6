// Writing UTF-8 text to standard output or standard error.
#pragma once

#include <cstdio>
#include <string>

#include "crypto/secret.h"

namespace qzcli {

// Windows: a console gets the text through the wide-character API, so any name shows
// as it is whatever the code page; a redirected stream gets the UTF-8 bytes.
// POSIX: the bytes, as they are.
void WriteText(std::FILE* stream, const std::string& utf8);
// The same for a secret (a generated password), with no copy outside guarded memory.
void WriteText(std::FILE* stream, const qz::Secret& utf8);

// Text for a terminal with every control character shown as "\xNN": C0, DEL, and C1
// (U+0080 to U+009F in UTF-8; bytes 0x80 to 0x9F in a single-byte locale). A file's
// name can hold any of them, and a terminal would act on them (clear the screen, set
// its title, hide what follows).
std::string Escaped(const std::string& text);

}  // namespace qzcli
