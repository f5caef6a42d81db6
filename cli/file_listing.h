// What a path is, a folder's entries and a file's size, over POSIX and Win32.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qzcli {

enum class PathKind { kMissing, kRegularFile, kDirectory, kOther };

// Follows symbolic links: a path the user names is taken for what it points to.
PathKind KindOf(const std::string& path);

struct DirectoryEntry {
  std::string name;
  // A regular file that is not a link; links and devices are never batch members.
  bool regularFile = false;
};

// The entries directly inside a folder (without "." and ".."). False on failure.
bool ListDirectory(const std::string& dir, std::vector<DirectoryEntry>* entries);

// The size of a file, or false when it cannot be read.
bool FileSize(const std::string& path, std::uint64_t* size);

// dir + separator + name.
std::string JoinPath(const std::string& dir, const std::string& name);
// The part after the last separator.
std::string BaseName(const std::string& path);

}  // namespace qzcli
