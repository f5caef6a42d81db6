// The sizes the ".qz" format fixes.
#pragma once

#include <cstddef>

namespace qz {

// The encrypted header that precedes the data: a file name and its terminator.
inline constexpr std::size_t kHeaderBytes = 256;
// The longest password a ".qz" key is derived from, in code page 936 bytes.
inline constexpr std::size_t kMaxPasswordBytes = 259;

}  // namespace qz
