// Reads passwords, one a line (UTF-8), and prints each one's log10 of guesses and score,
// for strength_oracle.py to hold against python3-zxcvbn.
#include <cstdio>
#include <iostream>
#include <string>

#include "password/password_strength.h"

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    const qz::PasswordStrength strength = qz::EstimatePasswordStrength(line);
    std::printf("%.6f %d\n", strength.guessesLog10, strength.score);
  }
  return 0;
}
