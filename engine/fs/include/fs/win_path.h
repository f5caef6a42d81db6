// Windows: the engine's paths are UTF-8, whatever the system's ANSI code page, and
// reach the system only through the wide-character functions. An ANSI path could not
// name every file, and its best-fit conversion would name another one.
#pragma once

#ifdef _WIN32

#include <string>

namespace qz {

// The most UTF-16 units the system takes in a path of its own form ("\??\C:\..."), which
// puts up to 6 more in front of a path's ordinary form (UNC: "\\" becomes "\??\UNC\").
constexpr std::size_t kSystemPathUnits = 32767;

// The wide form of a UTF-8 path; empty when the bytes are not UTF-8 (such a path names
// no file, and the call that gets it fails). A path of MAX_PATH units or more, as given
// or once resolved against the current folder, comes in the long-path form ("\\?\C:\..."
// or "\\?\UNC\server\share\..."), made from the path the system itself would resolve, so
// that it names the same file as the path would without the limit. Shorter paths stay
// as they are.
std::wstring WidePath(const std::string& utf8);
// The same for a wide path.
std::wstring LongPathForm(const std::wstring& wide);
// A name or path the system gave back, as UTF-8; empty when it holds an unpaired
// surrogate, which no UTF-8 path can name.
std::string Utf8Path(const wchar_t* wide);

}  // namespace qz

#endif
