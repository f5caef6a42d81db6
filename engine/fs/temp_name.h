// Names for outputs still being written.
#pragma once

#include <string>

namespace qz {

// A fresh temporary path in the destination's folder (see IsTemporaryName).
std::string MakeTemporaryPath(const std::string& destination);

}  // namespace qz
