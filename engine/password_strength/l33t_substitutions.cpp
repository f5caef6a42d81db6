#include "password_strength/l33t_substitutions.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <set>

namespace qz::strength {

namespace {

struct L33tLetter {
  char32_t letter;
  const char32_t* symbols;
};

// The reference's table, in its order.
const L33tLetter kL33tTable[] = {
    {U'a', U"4@"}, {U'b', U"8"},  {U'c', U"({[<"}, {U'e', U"3"},  {U'g', U"69"}, {U'i', U"1!|"},
    {U'l', U"1|7"}, {U'o', U"0"}, {U's', U"$5"},   {U't', U"+7"}, {U'x', U"%"},  {U'z', U"2"},
};

constexpr char32_t kSymbols[] = U"4@8({[<3691!|70$5+%2";

// Two readings that pair the same letters with the same symbols are one: as a key, four
// bits per symbol for the letter's place in the table.
std::pair<uint64_t, uint64_t> Key(const L33tSubstitution& reading) {
  std::pair<uint64_t, uint64_t> key{0, 0};
  for (const auto& [symbol, letter] : reading) {
    const auto s = std::char_traits<char32_t>::find(kSymbols, std::size(kSymbols) - 1, symbol) - kSymbols;
    const auto l = std::find_if(std::begin(kL33tTable), std::end(kL33tTable),
                                [&](const L33tLetter& e) { return e.letter == letter; }) - kL33tTable + 1;
    (s < 16 ? key.first : key.second) |= static_cast<uint64_t>(l) << (4 * (s % 16));
  }
  return key;
}

}  // namespace

std::vector<L33tSubstitution> L33tSubstitutionsFor(const Text& password) {
  std::vector<L33tSubstitution> readings(1);
  bool any = false;
  for (const L33tLetter& entry : kL33tTable) {
    std::vector<L33tSubstitution> next;
    bool relevant = false;
    for (const char32_t* symbol = entry.symbols; *symbol; ++symbol) {
      if (password.find(*symbol) == Text::npos) continue;
      relevant = true;
      for (const L33tSubstitution& reading : readings) {
        auto taken = std::find_if(reading.begin(), reading.end(),
                                  [&](const auto& pair) { return pair.first == *symbol; });
        L33tSubstitution extended = reading;
        if (taken != reading.end()) {
          // The symbol already reads as another letter: keep that reading, and add one
          // where it reads as this letter instead.
          next.push_back(reading);
          extended.erase(extended.begin() + (taken - reading.begin()));
        }
        extended.emplace_back(*symbol, entry.letter);
        next.push_back(std::move(extended));
      }
    }
    if (!relevant) continue;
    any = true;
    readings.clear();
    std::set<std::pair<uint64_t, uint64_t>> seen;
    for (L33tSubstitution& reading : next) {
      if (seen.insert(Key(reading)).second) readings.push_back(std::move(reading));
    }
  }
  if (!any) readings.clear();
  return readings;
}

char32_t Substitute(const L33tSubstitution& substitution, char32_t c) {
  for (const auto& [symbol, letter] : substitution)
    if (symbol == c) return letter;
  return c;
}

}  // namespace qz::strength
