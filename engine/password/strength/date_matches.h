// Dates (with or without separators, two- or four-digit years, day and month either way)
// and recent years on their own.
#pragma once

#include "strength/strength_match.h"
#include "strength/strength_text.h"

namespace qz::strength {

void AddRecentYearMatches(const Text& password, Matches& out);
void AddDateMatches(const Text& password, Matches& out);

}  // namespace qz::strength
