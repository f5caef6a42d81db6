// Walks along neighbouring keys ("qwerty", "1qaz2wsx", "zxcvbn", "7896321") on the qwerty
// and dvorak layouts and two numeric keypads, counted by length, turns and shifted keys.
#pragma once

#include "strength/strength_match.h"
#include "strength/strength_text.h"

namespace qz::strength {

void AddKeyboardMatches(const Text& password, Matches& out);

}  // namespace qz::strength
