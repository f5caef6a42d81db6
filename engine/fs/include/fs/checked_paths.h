// A source and the destination of its output, measured once against the file system's
// limits where they enter the engine; what lies past the entry takes them as they are.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace qz {

// The length of a temporary output's name ("~qz", six characters, ".tmp"), which a
// destination's folder must leave room for.
inline constexpr std::size_t kTemporaryNameLength = 13;

class CheckedPaths {
 public:
  // Empty when a path, or its last name, is longer than the file system takes, or the
  // temporary name beside the destination would be (the caller's kPathTooLong). An empty
  // destination stands for a source that is only read.
  static std::optional<CheckedPaths> Check(const std::string& source,
                                           const std::string& destination = std::string());

  const std::string& source() const { return source_; }
  const std::string& destination() const { return destination_; }

 private:
  CheckedPaths(const std::string& source, const std::string& destination)
      : source_(source), destination_(destination) {}

  std::string source_;
  std::string destination_;
};

}  // namespace qz
