// The fewest guesses over all ways to cover the password with matches and brute-forced
// pieces. A cover of l pieces costs l! times the product of their guesses (the pieces in
// any order) plus 10000^(l-1) (shorter covers are tried first).
#pragma once

#include "strength/strength_match.h"

namespace qz::strength {

// matches: sorted by i, then j. Brute force fills any gap.
Guesses CheapestCover(int passwordLength, const Matches& matches);

}  // namespace qz::strength
