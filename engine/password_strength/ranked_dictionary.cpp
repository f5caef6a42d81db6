#include "password_strength/ranked_dictionary.h"

#include <algorithm>

#include "password_strength/strength_tables.h"

namespace qz::strength {

namespace {

uint32_t Hash(std::string_view word) {
  uint32_t h = 2166136261u;  // FNV-1a
  for (char c : word) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return h;
}

}  // namespace

const RankedDictionary& RankedDictionary::Instance() {
  static const RankedDictionary instance;
  return instance;
}

RankedDictionary::RankedDictionary() {
  for (size_t at = 0; at < kRankedWordsSize;) {
    m_starts.push_back(static_cast<uint32_t>(at));
    const size_t end = std::string_view(kRankedWords, kRankedWordsSize).find('\n', at);
    m_longest = std::max(m_longest, end - at);
    at = end + 1;
  }
  const auto count = static_cast<uint32_t>(m_starts.size());
  m_starts.push_back(static_cast<uint32_t>(kRankedWordsSize));
  uint32_t total = 0;
  for (int list = 0; list < kRankedListCount; ++list) {
    total += kRankedLists[list].words;
    m_listEnds.push_back(total);
  }
  while ((1u << m_indexBits) <= count) ++m_indexBits;
  // Load at most three quarters; a slot holds index + 1 below the tag bits, 0 when empty.
  size_t size = 1;
  while (size * 3 < count * 4ull) size *= 2;
  m_slots.assign(size, 0);
  for (uint32_t index = 0; index < count; ++index) {
    const uint32_t h = Hash(WordAt(index));
    size_t slot = h & (size - 1);
    while (m_slots[slot] != 0) slot = (slot + 1) & (size - 1);
    m_slots[slot] = (h & ~((1u << m_indexBits) - 1)) | (index + 1);
  }
}

std::string_view RankedDictionary::WordAt(uint32_t index) const {
  return std::string_view(kRankedWords + m_starts[index],
                          m_starts[index + 1] - m_starts[index] - 1);
}

int RankedDictionary::Rank(std::string_view word) const {
  const uint32_t h = Hash(word);
  const uint32_t indexMask = (1u << m_indexBits) - 1;
  const size_t mask = m_slots.size() - 1;
  for (size_t slot = h & mask; m_slots[slot] != 0; slot = (slot + 1) & mask) {
    const uint32_t entry = m_slots[slot];
    if ((entry & ~indexMask) != (h & ~indexMask)) continue;
    const uint32_t index = (entry & indexMask) - 1;
    if (WordAt(index) != word) continue;
    const auto list = std::upper_bound(m_listEnds.begin(), m_listEnds.end(), index);
    const uint32_t listStart = list == m_listEnds.begin() ? 0 : *(list - 1);
    return static_cast<int>(index - listStart) + 1;
  }
  return 0;
}

}  // namespace qz::strength
