// Every pattern's matches in a text, and the fewest guesses that cover it.
#pragma once

#include "strength/strength_match.h"
#include "strength/strength_text.h"

namespace qz::strength {

// Sorted by first, then last position; within one span in the reference's order of
// patterns, which decides ties.
Matches AllMatches(const Text& text);

Guesses MinimumGuesses(const Text& text);

}  // namespace qz::strength
