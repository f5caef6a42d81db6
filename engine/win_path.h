// Windows: the engine's paths are UTF-8, whatever the system's ANSI code page, and
// reach the system only through the wide-character functions. An ANSI path could not
// name every file, and its best-fit conversion would name another one.
#pragma once

#ifdef _WIN32

#include <string>

namespace qz {

// The wide form of a UTF-8 path; empty when the bytes are not UTF-8 (such a path names
// no file, and the call that gets it fails).
std::wstring WidePath(const std::string& utf8);
// A name or path the system gave back, as UTF-8; empty when it holds an unpaired
// surrogate, which no UTF-8 path can name.
std::string Utf8Path(const wchar_t* wide);

}  // namespace qz

#endif
