#include "strength/l33t_words.h"

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <utility>

#include "strength/ranked_dictionary.h"

namespace qz::strength {

namespace {

// Sets of readings as bits, so that the readings that agree on a piece of the password
// part ways at a symbol in a few word operations, however many readings there are.
using ReadingSet = std::vector<uint64_t>;

class L33tWalk {
 public:
  L33tWalk(const Text& password, const std::vector<L33tSubstitution>& readings)
      : m_password(password),
        m_all((readings.size() + 63) / 64, 0),
        m_parted(password.size() + 1, m_all) {
    // Each symbol's readings by the letter they make of it.
    for (size_t r = 0; r < readings.size(); ++r) {
      m_all[r / 64] |= uint64_t{1} << (r % 64);
      for (const auto& [symbol, letter] : readings[r])
        Way(symbol, letter)[r / 64] |= uint64_t{1} << (r % 64);
    }
    // Those that leave it as it is.
    for (auto& [symbol, ways] : m_symbols) {
      ReadingSet rest = m_all;
      for (const auto& way : ways)
        for (size_t w = 0; w < rest.size(); ++w) rest[w] &= ~way.second[w];
      if (std::any_of(rest.begin(), rest.end(), [](uint64_t w) { return w != 0; }))
        ways.emplace_back(symbol, rest);
    }
  }

  void From(int i, std::vector<L33tWord>& out) {
    Walk(i, i, RankedDictionary::Instance().Everything(), m_all, out);
  }

 private:
  using Ways = std::vector<std::pair<char32_t, ReadingSet>>;

  ReadingSet& Way(char32_t symbol, char32_t letter) {
    auto entry = std::find_if(m_symbols.begin(), m_symbols.end(),
                              [&](const auto& e) { return e.first == symbol; });
    if (entry == m_symbols.end()) entry = m_symbols.insert(m_symbols.end(), {symbol, Ways()});
    Ways& ways = entry->second;
    auto way =
        std::find_if(ways.begin(), ways.end(), [&](const auto& w) { return w.first == letter; });
    if (way == ways.end()) way = ways.insert(ways.end(), {letter, ReadingSet(m_all.size(), 0)});
    return way->second;
  }

  const Ways* WaysOf(char32_t c) const {
    for (const auto& entry : m_symbols)
      if (entry.first == c) return &entry.second;
    return nullptr;
  }

  static int First(const ReadingSet& set) {
    for (size_t w = 0; w < set.size(); ++w)
      if (set[w]) return static_cast<int>(w * 64 + __builtin_ctzll(set[w]));
    return -1;
  }

  void Step(int i, int j, RankedDictionary::Prefix prefix, char32_t c, const ReadingSet& agreeing,
            std::vector<L33tWord>& out) {
    const RankedDictionary::Prefix next = RankedDictionary::Instance().Next(prefix, AsciiLower(c));
    if (next.Empty()) return;
    if (const int rank = RankedDictionary::Instance().Rank(next))
      out.push_back({i, j, First(agreeing), rank});
    Walk(i, j + 1, next, agreeing, out);
  }

  void Walk(int i, int j, RankedDictionary::Prefix prefix, const ReadingSet& agreeing,
            std::vector<L33tWord>& out) {
    if (j == static_cast<int>(m_password.size())) return;
    const Ways* ways = WaysOf(m_password[j]);
    if (!ways) return Step(i, j, prefix, m_password[j], agreeing, out);
    ReadingSet& both = m_parted[j - i];
    for (const auto& [c, readings] : *ways) {
      bool any = false;
      for (size_t w = 0; w < both.size(); ++w) any |= (both[w] = agreeing[w] & readings[w]) != 0;
      if (any) Step(i, j, prefix, c, both, out);
    }
  }

  const Text& m_password;
  ReadingSet m_all;
  std::vector<ReadingSet> m_parted;  // by depth, reused: the walk allocates nothing
  std::vector<std::pair<char32_t, Ways>> m_symbols;
};

}  // namespace

std::vector<L33tWord> FindL33tWords(const Text& password, const L33tReadings& readings) {
  std::vector<L33tWord> words;
  if (readings.empty()) return words;
  L33tWalk walk(password, readings);
  for (int i = 0; i < static_cast<int>(password.size()); ++i) walk.From(i, words);
  std::stable_sort(words.begin(), words.end(), [](const L33tWord& a, const L33tWord& b) {
    return std::make_tuple(a.i, a.j, a.reading) < std::make_tuple(b.i, b.j, b.reading);
  });
  return words;
}

}  // namespace qz::strength
