// Which l33t symbols a password may use for which letters: every consistent way of
// reading its symbols back as letters (a symbol such as 1 stands for i or for l, never
// both in one reading), in the order the reference tries them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "strength/strength_text.h"

namespace qz::strength {

// Pairs of (symbol, letter), each symbol once, in the order they were made. Small and
// fixed-size: a password may have hundreds of readings, each copied as a letter is added.
class L33tSubstitution {
 public:
  static constexpr int kMaxSymbols = 20;
  using Pair = std::pair<char, char>;  // all ASCII

  const Pair* begin() const { return m_pairs.data(); }
  const Pair* end() const { return m_pairs.data() + m_size; }
  bool Empty() const { return m_size == 0; }
  // symbol and letter: from the l33t table.
  void Add(char32_t symbol, char32_t letter);
  void Remove(const Pair* pair);
  // Equal for readings that pair the same symbols with the same letters, in any order.
  std::pair<uint64_t, uint64_t> Key() const { return m_key; }

 private:
  std::array<Pair, kMaxSymbols> m_pairs{};
  int m_size = 0;
  std::pair<uint64_t, uint64_t> m_key{0, 0};  // four bits per symbol: its letter's place
};

using L33tReadings = std::vector<L33tSubstitution>;

// Empty when the password holds no l33t symbol. Shared: the readings of recent symbol sets
// are kept.
std::shared_ptr<const L33tReadings> L33tSubstitutionsFor(const Text& password);

char32_t Substitute(const L33tSubstitution& substitution, char32_t c);

}  // namespace qz::strength
