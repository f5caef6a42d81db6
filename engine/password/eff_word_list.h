// The EFF long word list (7,776 words, five dice each), generated at build time from
// Debian's diceware package: see the engine's CMakeLists.txt.
#pragma once

namespace qz {

inline constexpr int kEffLongWordCount = 7776;

extern const char* const kEffLongWords[kEffLongWordCount];

}  // namespace qz
