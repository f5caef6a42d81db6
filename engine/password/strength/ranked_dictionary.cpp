#include "strength/ranked_dictionary.h"

#include <algorithm>
#include <cstring>

#include "strength/strength_tables.h"

namespace qz::strength {

const RankedDictionary& RankedDictionary::Instance() {
  static const RankedDictionary instance;
  return instance;
}

// The program carries the words front coded, about half their size; decoding them takes
// one pass at first use.
RankedDictionary::RankedDictionary() : m_words(kRankedWordsDecodedSize) {
  m_starts.reserve(kRankedWordCount + 1);
  char* const words = m_words.data();
  uint32_t written = 0;
  uint32_t previous = 0;
  for (size_t at = 0; at < kRankedWordsSize;) {
    const auto shared = static_cast<uint32_t>(kRankedWords[at++]);
    size_t end = at;
    while (end<kRankedWordsSize&& static_cast<unsigned char>(kRankedWords[end])> ' ') ++end;
    if (shared > written - previous || written + shared + (end - at) > m_words.size()) break;
    std::memcpy(words + written, words + previous, shared);
    std::memcpy(words + written + shared, kRankedWords + at, end - at);
    m_starts.push_back(written);
    previous = written;
    written += static_cast<uint32_t>(shared + end - at);
    at = end;
  }
  m_starts.push_back(written);
  m_byFirst.assign(0x80, Prefix{0, 0, 1});
  for (uint32_t word = 0; word + 1 < m_starts.size(); ++word) {
    Prefix& first = m_byFirst[CharAt(word, 0) & 0x7F];
    if (first.Empty()) first.first = word;
    first.end = word + 1;
  }
}

unsigned char RankedDictionary::CharAt(uint32_t word, uint32_t at) const {
  // Past a word's end it reads as '\0', below every character: shorter words sort first.
  return at < Length(word) ? static_cast<unsigned char>(m_words[m_starts[word] + at]) : 0;
}

RankedDictionary::Prefix RankedDictionary::Everything() const {
  return Prefix{0, static_cast<uint32_t>(m_starts.size() - 1), 0};
}

RankedDictionary::Prefix RankedDictionary::Next(Prefix prefix, char32_t c) const {
  if (c == 0 || c >= 0x80 || prefix.Empty()) return Prefix{0, 0, prefix.depth + 1};
  if (prefix.depth == 0) return m_byFirst[c];
  const auto byte = static_cast<unsigned char>(c);
  uint32_t low = prefix.first;
  uint32_t high = prefix.end;
  while (low < high) {  // the first word whose next character is not below c
    const uint32_t mid = low + (high - low) / 2;
    if (CharAt(mid, prefix.depth) < byte)
      low = mid + 1;
    else
      high = mid;
  }
  uint32_t last = low;
  high = prefix.end;
  while (last < high) {  // the first word whose next character is above c
    const uint32_t mid = last + (high - last) / 2;
    if (CharAt(mid, prefix.depth) <= byte)
      last = mid + 1;
    else
      high = mid;
  }
  return Prefix{low, last, prefix.depth + 1};
}

int RankedDictionary::Rank(Prefix prefix) const {
  if (prefix.Empty() || Length(prefix.first) != prefix.depth) return 0;
  return kWordRanks[prefix.first];
}

}  // namespace qz::strength
