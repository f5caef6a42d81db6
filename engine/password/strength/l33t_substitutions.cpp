#include "strength/l33t_substitutions.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <mutex>
#include <numeric>
#include <string>

namespace qz::strength {

namespace {

struct L33tLetter {
  char32_t letter;
  const char32_t* symbols;
};

// The reference's table, in its order.
const L33tLetter kL33tTable[] = {
    {U'a', U"4@"},  {U'b', U"8"}, {U'c', U"({[<"}, {U'e', U"3"},  {U'g', U"69"}, {U'i', U"1!|"},
    {U'l', U"1|7"}, {U'o', U"0"}, {U's', U"$5"},   {U't', U"+7"}, {U'x', U"%"},  {U'z', U"2"},
};
constexpr char32_t kSymbols[] = U"4@8({[<3691!|70$5+%2";
static_assert(sizeof(kSymbols) / sizeof(kSymbols[0]) - 1 == L33tSubstitution::kMaxSymbols);

// Every symbol and letter is ASCII: places by character, symbols from 0, letters from 1,
// 0xFF for neither.
struct Places {
  std::array<uint8_t, 128> symbol;
  std::array<uint8_t, 128> letter;
};

const Places& PlacesOf() {
  static const Places places = [] {
    Places out;
    out.symbol.fill(0xFF);
    out.letter.fill(0xFF);
    for (int s = 0; s < L33tSubstitution::kMaxSymbols; ++s)
      out.symbol[kSymbols[s]] = static_cast<uint8_t>(s);
    for (size_t l = 0; l < std::size(kL33tTable); ++l)
      out.letter[kL33tTable[l].letter] = static_cast<uint8_t>(l + 1);
    return out;
  }();
  return places;
}

bool IsSymbol(char32_t c) { return c < 0x80 && PlacesOf().symbol[c] != 0xFF; }
int Place(char32_t symbol) { return PlacesOf().symbol[symbol]; }

// The key's bits for one pair.
std::pair<uint64_t, uint64_t> KeyBits(char symbol, char letter) {
  const int s = Place(symbol);
  const uint64_t bits = uint64_t{PlacesOf().letter[letter]} << (4 * (s % 16));
  return s < 16 ? std::make_pair(bits, uint64_t{0}) : std::make_pair(uint64_t{0}, bits);
}

// The readings less those that repeat an earlier one.
L33tReadings FirstOfEach(L33tReadings readings) {
  std::vector<size_t> order(readings.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return readings[a].Key() < readings[b].Key(); });
  std::vector<bool> repeated(readings.size());
  for (size_t k = 1; k < order.size(); ++k)
    repeated[order[k]] = readings[order[k]].Key() == readings[order[k - 1]].Key();
  L33tReadings kept;
  for (size_t k = 0; k < readings.size(); ++k)
    if (!repeated[k]) kept.push_back(readings[k]);
  return kept;
}

// The readings depend only on which symbols the password holds.
L33tReadings ReadingsOf(uint32_t symbols) {
  L33tReadings readings(1);
  bool any = false;
  for (const L33tLetter& entry : kL33tTable) {
    L33tReadings next;
    next.reserve(2 * readings.size() * std::char_traits<char32_t>::length(entry.symbols));
    bool relevant = false;
    for (const char32_t* symbol = entry.symbols; *symbol; ++symbol) {
      if (!(symbols >> Place(*symbol) & 1)) continue;
      relevant = true;
      for (const L33tSubstitution& reading : readings) {
        const auto* taken = std::find_if(reading.begin(), reading.end(), [&](const auto& pair) {
          return static_cast<char32_t>(pair.first) == *symbol;
        });
        L33tSubstitution extended = reading;
        if (taken != reading.end()) {
          // The symbol already reads as another letter: keep that reading, and add one
          // where it reads as this letter instead.
          next.push_back(reading);
          extended.Remove(extended.begin() + (taken - reading.begin()));
        }
        extended.Add(*symbol, entry.letter);
        next.push_back(extended);
      }
    }
    if (!relevant) continue;
    any = true;
    readings = FirstOfEach(std::move(next));
  }
  if (!any) readings.clear();
  return readings;
}

}  // namespace

void L33tSubstitution::Add(char32_t symbol, char32_t letter) {
  m_pairs[m_size++] = {static_cast<char>(symbol), static_cast<char>(letter)};
  const auto bits = KeyBits(symbol, letter);
  m_key.first |= bits.first;
  m_key.second |= bits.second;
}

void L33tSubstitution::Remove(const Pair* pair) {
  const auto bits = KeyBits(pair->first, pair->second);
  m_key.first &= ~bits.first;
  m_key.second &= ~bits.second;
  std::copy(pair + 1, end(), m_pairs.begin() + (pair - begin()));
  --m_size;
}

std::shared_ptr<const L33tReadings> L33tSubstitutionsFor(const Text& password) {
  uint32_t symbols = 0;
  for (char32_t c : password)
    if (IsSymbol(c)) symbols |= uint32_t{1} << Place(c);
  if (symbols == 0) return std::make_shared<const L33tReadings>();
  // One more character typed, or a repeat's piece, mostly holds symbols seen just before.
  constexpr size_t kRemembered = 8;
  static std::mutex mutex;
  static std::vector<std::pair<uint32_t, std::shared_ptr<const L33tReadings>>> recent;
  const std::lock_guard<std::mutex> lock(mutex);
  auto known =
      std::find_if(recent.begin(), recent.end(), [&](const auto& r) { return r.first == symbols; });
  if (known == recent.end()) {
    if (recent.size() == kRemembered) recent.pop_back();
    known = recent.insert(recent.begin(),
                          {symbols, std::make_shared<const L33tReadings>(ReadingsOf(symbols))});
  }
  return known->second;
}

char32_t Substitute(const L33tSubstitution& substitution, char32_t c) {
  for (const auto& [symbol, letter] : substitution)
    if (static_cast<char32_t>(symbol) == c) return static_cast<char32_t>(letter);
  return c;
}

}  // namespace qz::strength
