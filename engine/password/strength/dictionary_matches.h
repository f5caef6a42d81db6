// Words from the ranked lists in the password: as they stand, reversed, and with l33t
// substitutions undone (4 for a, $ for s, ...), each with its capitalisation.
#pragma once

#include "strength/strength_match.h"
#include "strength/strength_text.h"

namespace qz::strength {

void AddDictionaryMatches(const Text& password, Matches& out);
void AddReversedDictionaryMatches(const Text& password, Matches& out);
void AddL33tMatches(const Text& password, Matches& out);

}  // namespace qz::strength
