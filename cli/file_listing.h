// Why a path is not worked on, a file's size and path joining, over POSIX and Win32.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fs/folder_scan.h"

namespace qzcli {

using PathKind = qz::EntryKind;
using qz::KindOf;

// Why a path of that kind is not worked on, for a message ("a symbolic link; ...").
const char* KindRefusal(PathKind kind);

// The size of a file, or false when it cannot be read.
bool FileSize(const std::string& path, std::uint64_t* size);

// What a file is, whatever the path that names it: the device and the file's number.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  bool operator==(const FileIdentity& other) const {
    return device == other.device && file == other.file;
  }
  bool operator<(const FileIdentity& other) const {
    return device != other.device ? device < other.device : file < other.file;
  }
};
// The identity of what path names, a file or a folder (a final link followed only with
// follow). False when there is nothing to tell.
bool IdentityOf(const std::string& path, bool follow, FileIdentity* id);
// The same for standard input, when it is a file.
bool IdentityOfStandardInput(FileIdentity* id);

// dir + separator + name.
std::string JoinPath(const std::string& dir, const std::string& name);
// The part after the last separator.
std::string BaseName(const std::string& path);

}  // namespace qzcli
