// The estimate's data, generated at build time from python3-zxcvbn by
// make_strength_tables.py: the ranked word lists, the keyboard graphs, and the Unicode
// digits and spaces that the reference's regular expressions match.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qz::strength {

// Every listed word (common passwords, English words, names, film and television),
// lower-case printable ASCII, in byte order, front coded: a byte below ' ' with the length
// the word shares with the one before it, then the rest of the word. kWordRanks[k] is
// word k's rank in its own list (1 for the most frequent). No word is in two lists.
extern const char kRankedWords[];
extern const std::size_t kRankedWordsSize;
extern const std::size_t kRankedWordsDecodedSize;  // the words' characters, all told
extern const std::size_t kRankedWordCount;
extern const std::uint16_t kWordRanks[];

// For each key: the key, then two characters per direction, the neighbour unshifted and
// shifted, a space where there is none (no key is a space).
struct KeyboardGraphInfo {
  const char* name;
  int directions;
  const char* keys;
};
extern const KeyboardGraphInfo kKeyboardGraphs[];
extern const int kKeyboardGraphCount;

// The zero of each run of ten decimal digits (Unicode category Nd), ascending.
extern const char32_t kDecimalDigitZeros[];
extern const int kDecimalDigitZeroCount;
// What Python's str.isspace() accepts, ascending.
extern const char32_t kUnicodeSpaces[];
extern const int kUnicodeSpaceCount;

}  // namespace qz::strength
