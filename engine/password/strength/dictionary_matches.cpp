#include "strength/dictionary_matches.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "strength/l33t_substitutions.h"
#include "strength/l33t_words.h"
#include "strength/ranked_dictionary.h"

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
  for (const L33tWord& word : FindL33tWords(password, readings)) {
    const Text token = password.substr(word.i, word.j - word.i + 1);
    L33tSubstitution used;
    for (const auto& pair : readings[word.reading])
      if (token.find(pair.first) != Text::npos) used.Add(pair.first, pair.second);
    if (used.Empty() || token.size() < 2) continue;  // no substitution, or too short
    out.push_back(
        WordMatch(password, word.i, word.j, word.rank, L33tVariations(token, used), false));
  }
}

}  // namespace qz::strength
