// How many guesses a password would cost an attacker who tries the likeliest first: common
// passwords, words and names by frequency with their l33t and capitalised forms, keyboard
// walks, sequences, repeats and dates, and brute force for the rest; the estimate is the
// cheapest way to cover the whole password with such pieces.
#pragma once

#include <string_view>

namespace qz {

struct PasswordStrength {
  double guessesLog10 = 0;  // log10 of the guesses the cheapest cover needs
  int score = 0;            // 0 (guessed at once) to 4 (very hard to guess)
};

// password: UTF-8.
PasswordStrength EstimatePasswordStrength(std::string_view password);

}  // namespace qz
