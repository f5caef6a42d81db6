// What a new password is worth for the kind of file it protects. The attacker tries the
// likeliest passwords first (the estimate's guesses are the expected number) on 1,000
// cores:
// - a strong (".age") file costs each guess one scrypt at the file's work factor, 1 s on
//   one core at work factor 18 and twice that per step above: 1000 / 2^(workFactor - 18)
//   guesses a second;
// - a ".qz" file costs each guess one MD5, an RC4 key set-up and a header check, 10^7 a
//   second per core (10^10 in all), and is never worth more than its 40-bit key, which
//   falls to a search of every key whatever the password.
#pragma once

#include <string_view>

namespace qzops {

struct PasswordVerdict {
  int score = 0;                // 0 to 4
  double guessesLog10 = 0;      // the password's own guesses
  double secondsToGuess = 0;    // at the attacker's speed for this kind of file
  bool limitedByQzKey = false;  // the 40-bit key falls before the password would
  // Below 3 a strong file asks (the window) or warns (qzcrypt).
  bool Weak() const { return score < 3; }
};

// password: UTF-8. workFactor: scrypt's log2 N for a strong file.
PasswordVerdict JudgePassword(std::string_view password, bool strongFile, int workFactor);

}  // namespace qzops
