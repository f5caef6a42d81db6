// Which l33t symbols a password may use for which letters: every consistent way of
// reading its symbols back as letters (a symbol such as 1 stands for i or for l, never
// both in one reading), in the order the reference tries them.
#pragma once

#include <utility>
#include <vector>

#include "password_strength/strength_text.h"

namespace qz::strength {

// Pairs of (symbol, letter), each symbol once.
using L33tSubstitution = std::vector<std::pair<char32_t, char32_t>>;

// Empty when the password holds no l33t symbol.
std::vector<L33tSubstitution> L33tSubstitutionsFor(const Text& password);

char32_t Substitute(const L33tSubstitution& substitution, char32_t c);

}  // namespace qz::strength
