// Why a path is not worked on, a file's size and path joining, over POSIX and Win32.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "folder_scan.h"

namespace qzcli {

using PathKind = qz::EntryKind;
using qz::KindOf;

// Why a path of that kind is not worked on, for a message ("a symbolic link; ...").
const char* KindRefusal(PathKind kind);

// The size of a file, or false when it cannot be read.
bool FileSize(const std::string& path, std::uint64_t* size);

// dir + separator + name.
std::string JoinPath(const std::string& dir, const std::string& name);
// The part after the last separator.
std::string BaseName(const std::string& path);

}  // namespace qzcli
