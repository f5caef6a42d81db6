#include "fs/checked_paths.h"

#include "fs/file_names.h"
#include "fs/file_system.h"

namespace qz {

namespace {

// The whole path, and its last name: "name.qz" can exceed the file system's 255-byte
// names even where "name" fits. folderLength gets the length of the part before the
// name, separator included.
bool Fits(const std::string& path, std::size_t* folderLength) {
  if (PathLength(path) > MaxPathLength()) return false;
  const std::size_t sep = LastSeparator(path);
  *folderLength = sep == std::string::npos ? 0 : PathLength(path.substr(0, sep + 1));
  const std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
  return PathLength(name) <= MaxNameLength();
}

}  // namespace

std::optional<CheckedPaths> CheckedPaths::Check(const std::string& source, const std::string& destination) {
  std::size_t folderLength = 0;
  if (!Fits(source, &folderLength)) return std::nullopt;
  if (!destination.empty()) {
    // A temporary name can be longer than the destination's own name.
    if (!Fits(destination, &folderLength) || folderLength + kTemporaryNameLength > MaxPathLength()) {
      return std::nullopt;
    }
  }
  return CheckedPaths(source, destination);
}

}  // namespace qz
