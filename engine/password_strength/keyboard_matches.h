// Walks along neighbouring keys (qwertz-style rows, diagonals, the numeric keypad) on
// the qwerty and dvorak layouts and the two keypads, counted by length, turns and shifts.
#pragma once

#include "password_strength/strength_match.h"
#include "password_strength/strength_text.h"

namespace qz::strength {

void AddKeyboardMatches(const Text& password, Matches& out);

}  // namespace qz::strength
