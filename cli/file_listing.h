// What a path is, a folder's entries and a file's size, over POSIX and Win32.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qzcli {

enum class PathKind { kMissing, kRegularFile, kDirectory, kSymlink, kFifo, kDevice, kOther };

// What the path itself is: a symbolic link is not followed (Windows: any reparse point
// counts as one), so that it is never taken for the file it points to.
PathKind KindOf(const std::string& path);

// Why a path of that kind is not worked on, for a message ("a symbolic link; ...").
const char* KindRefusal(PathKind kind);

struct DirectoryEntry {
  std::string name;
  PathKind kind = PathKind::kMissing;
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
