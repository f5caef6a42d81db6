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
// UTF-8 text in code page 936, the format's, with `lacking` for each character that
// code page lacks (a surrogate pair is one character). No best fit: "ß" never becomes
// "s". Text that is not UTF-8 comes back as it is.
std::string ToCodePage936(const std::string& utf8, const std::string& lacking);
// What becomes of a character code page 936 lacks where no stand-in may take its place.
enum class Lacking { kFail };
// UTF-8 text in code page 936, or false (out untouched) when it is not UTF-8 or holds a
// character code page 936 lacks. Its working copies are wiped: the text may be a password.
bool ToCodePage936(const std::string& utf8, Lacking lacking, std::string* out);

}  // namespace qz

#endif
