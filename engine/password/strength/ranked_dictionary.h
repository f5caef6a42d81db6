// The ranked word lists, walked one character at a time: the words that begin with what
// has been read so far are a range of the sorted list, narrowed by each new character,
// so a walk along a password stops as soon as no word can follow.
#pragma once

#include <cstdint>
#include <vector>

namespace qz::strength {

class RankedDictionary {
 public:
  // The words that begin with the characters read so far (`depth` of them).
  struct Prefix {
    uint32_t first = 0;
    uint32_t end = 0;
    uint32_t depth = 0;
    bool Empty() const { return first == end; }
  };

  static const RankedDictionary& Instance();

  Prefix Everything() const;
  // c: a lower-case character; outside ASCII, no word follows.
  Prefix Next(Prefix prefix, char32_t c) const;
  // The rank of the word that is exactly the prefix (1 for the most frequent of its
  // list), or 0 when the prefix is no word.
  int Rank(Prefix prefix) const;

 private:
  RankedDictionary();
  uint32_t Length(uint32_t word) const { return m_starts[word + 1] - m_starts[word]; }
  unsigned char CharAt(uint32_t word, uint32_t at) const;

  std::vector<char> m_words;       // the words one after another, decoded at first use
  std::vector<uint32_t> m_starts;  // each word's offset in m_words, and one past the last
  std::vector<Prefix> m_byFirst;   // the words by their first character, spared a search
};

}  // namespace qz::strength
