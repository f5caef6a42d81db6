// Names for outputs still being written.
#pragma once

#include <cstddef>
#include <string>

namespace qz {

// The length of a temporary output's name ("~qz", six characters, ".tmp").
inline constexpr std::size_t kTemporaryNameLength = 13;

// A fresh temporary path in the destination's folder (see IsTemporaryName).
std::string MakeTemporaryPath(const std::string& destination);

}  // namespace qz
