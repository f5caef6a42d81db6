// The ranked word lists (common passwords, English words, names, film and television),
// looked up by whole word. The hash table is built on first use from the generated blob:
// the program carries only the words, and the first estimate pays about a millisecond.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace qz::strength {

class RankedDictionary {
 public:
  static const RankedDictionary& Instance();

  // word: lower-case. 1 for the most frequent word of its list; 0 when no list holds it.
  int Rank(std::string_view word) const;
  size_t LongestWord() const { return m_longest; }

 private:
  RankedDictionary();
  std::string_view WordAt(uint32_t index) const;

  std::vector<uint32_t> m_starts;  // each word's offset in the blob, and one past the last
  std::vector<uint32_t> m_slots;   // open addressing: hash tag above, word index + 1 below
  std::vector<uint32_t> m_listEnds;  // word index one past each list
  uint32_t m_indexBits = 0;
  size_t m_longest = 0;
};

}  // namespace qz::strength
