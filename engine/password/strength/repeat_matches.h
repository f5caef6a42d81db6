// Runs of one piece said again and again ("aaaa", "abcabcabc"): the piece's own guesses
// times the number of times it is said.
#pragma once

#include "strength/strength_match.h"
#include "strength/strength_text.h"

namespace qz::strength {

// The guesses for a whole text: the estimate itself, handed in so that this file needs
// nothing above it.
using WholeTextGuesses = Guesses (*)(const Text& text);

void AddRepeatMatches(const Text& password, WholeTextGuesses pieceGuesses, Matches& out);

}  // namespace qz::strength
