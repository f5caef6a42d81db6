// Runs of characters a fixed step apart ("abcd", "97531", "zyx"), steps of 1 to 5.
#pragma once

#include "password_strength/strength_match.h"
#include "password_strength/strength_text.h"

namespace qz::strength {

void AddSequenceMatches(const Text& password, Matches& out);

}  // namespace qz::strength
