// Writing UTF-8 text to standard output or standard error.
#pragma once

#include <cstdio>
#include <string>

namespace qzcli {

// Windows: a console gets the text through the wide-character API, so any name shows
// as it is whatever the code page; a redirected stream gets the UTF-8 bytes.
// POSIX: the bytes, as they are.
void WriteText(std::FILE* stream, const std::string& utf8);

}  // namespace qzcli
