#include "password_strength/dictionary_matches.h"

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include "password_strength/l33t_substitutions.h"
#include "password_strength/ranked_dictionary.h"

namespace qz::strength {

namespace {

// Calls found(i, j, rank) for every piece of text that a list holds, by i, then j.
template <typename Found>
void ForEachListedWord(const Text& text, Found found) {
  const RankedDictionary& dictionary = RankedDictionary::Instance();
  const int n = static_cast<int>(text.size());
  for (int i = 0; i < n; ++i) {
    RankedDictionary::Prefix prefix = dictionary.Everything();
    for (int j = i; j < n; ++j) {
      prefix = dictionary.Next(prefix, AsciiLower(text[j]));
      if (prefix.Empty()) break;
      if (const int rank = dictionary.Rank(prefix)) found(i, j, rank);
    }
  }
}

// A listed word read from password[i..j] under some l33t readings: the first of them
// (the reference's order) stands for all, since the others only repeat its match.
struct L33tWord {
  int i;
  int j;
  int reading;
  int rank;
};

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
      for (const auto& [symbol, letter] : readings[r]) Way(symbol, letter)[r / 64] |= uint64_t{1} << (r % 64);
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
    auto way = std::find_if(ways.begin(), ways.end(), [&](const auto& w) { return w.first == letter; });
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

// How many ways to capitalise the word an attacker tries before this one.
double CapitalisationVariations(const Text& token) {
  int upper = 0;
  int lower = 0;
  for (char32_t c : token) upper += IsAsciiUpper(c), lower += IsAsciiLower(c);
  if (upper == 0) return 1;
  const int n = static_cast<int>(token.size());
  const bool firstOnly = n > 1 && upper == 1 && IsAsciiUpper(token.front());
  const bool lastOnly = n > 1 && upper == 1 && IsAsciiUpper(token.back());
  if (firstOnly || lastOnly || lower == 0) return 2;
  double variations = 0;
  for (int k = 1; k <= std::min(upper, lower); ++k) variations += Choose(upper + lower, k);
  return variations;
}

// The same for the substitutions in use: each may be applied to some of its letters.
double L33tVariations(const Text& token, const L33tSubstitution& used) {
  double variations = 1;
  for (const auto& [symbol, letter] : used) {
    int subbed = 0;
    int unsubbed = 0;
    for (char32_t c : token) {
      subbed += AsciiLower(c) == static_cast<char32_t>(symbol);
      unsubbed += AsciiLower(c) == static_cast<char32_t>(letter);
    }
    if (subbed == 0 || unsubbed == 0) {
      variations *= 2;
    } else {
      double possibilities = 0;
      for (int k = 1; k <= std::min(subbed, unsubbed); ++k)
        possibilities += Choose(subbed + unsubbed, k);
      variations *= possibilities;
    }
  }
  return variations;
}

Match WordMatch(const Text& password, int i, int j, int rank, double l33t, bool reversed) {
  const Text token = password.substr(i, j - i + 1);
  const double guesses = rank * CapitalisationVariations(token) * l33t * (reversed ? 2 : 1);
  return MakeMatch(Pattern::kDictionary, i, j, guesses, static_cast<int>(password.size()));
}

void SortByPosition(Matches& matches) {
  std::stable_sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) {
    return std::make_pair(a.i, a.j) < std::make_pair(b.i, b.j);
  });
}

}  // namespace

void AddDictionaryMatches(const Text& password, Matches& out) {
  ForEachListedWord(password, [&](int i, int j, int rank) {
    out.push_back(WordMatch(password, i, j, rank, 1, false));
  });
}

void AddReversedDictionaryMatches(const Text& password, Matches& out) {
  const int n = static_cast<int>(password.size());
  Matches found;
  ForEachListedWord(Text(password.rbegin(), password.rend()), [&](int i, int j, int rank) {
    found.push_back(WordMatch(password, n - 1 - j, n - 1 - i, rank, 1, true));
  });
  SortByPosition(found);
  out.insert(out.end(), found.begin(), found.end());
}

void AddL33tMatches(const Text& password, Matches& out) {
  const std::shared_ptr<const L33tReadings> shared = L33tSubstitutionsFor(password);
  const L33tReadings& readings = *shared;
  if (readings.empty()) return;
  L33tWalk walk(password, readings);
  std::vector<L33tWord> words;
  for (int i = 0; i < static_cast<int>(password.size()); ++i) walk.From(i, words);
  std::stable_sort(words.begin(), words.end(), [](const L33tWord& a, const L33tWord& b) {
    return std::make_tuple(a.i, a.j, a.reading) < std::make_tuple(b.i, b.j, b.reading);
  });
  for (const L33tWord& word : words) {
    const Text token = password.substr(word.i, word.j - word.i + 1);
    L33tSubstitution used;
    for (const auto& pair : readings[word.reading])
      if (token.find(pair.first) != Text::npos) used.Add(pair.first, pair.second);
    if (used.Empty() || token.size() < 2) continue;  // no substitution, or too short
    out.push_back(WordMatch(password, word.i, word.j, word.rank, L33tVariations(token, used), false));
  }
}

}  // namespace qz::strength
