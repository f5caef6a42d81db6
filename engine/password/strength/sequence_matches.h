// Runs of characters a fixed step apart ("abcd", "97531", "zyx"), steps of 1 to 5.
#pragma once

#include "strength/strength_match.h"
#include "strength/strength_text.h"

namespace qz::strength {

void AddSequenceMatches(const Text& password, Matches& out);

}  // namespace qz::strength
