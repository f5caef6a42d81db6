// A piece of a password that a pattern explains, and what it costs to guess.
#pragma once

#include <vector>

namespace qz::strength {

// Guesses are products of many factors; long double keeps the exact integers that the
// reference's decimals keep up to 2^64, so ties and score thresholds come out the same.
using Guesses = long double;

enum class Pattern { kDictionary, kSpatial, kRepeat, kSequence, kRegex, kDate, kBruteforce };

struct Match {
  int i = 0;  // first code point covered
  int j = 0;  // last code point covered
  Pattern pattern = Pattern::kBruteforce;
  Guesses guesses = 0;
};

using Matches = std::vector<Match>;

// A match over part of the password costs at least 10 guesses for one character and 50
// for more, so that a cover made of many tiny pieces never looks cheap.
inline Match MakeMatch(Pattern pattern, int i, int j, Guesses raw, int passwordLength) {
  const int length = j - i + 1;
  Guesses floor = 1;
  if (length < passwordLength) floor = length == 1 ? 10 : 50;
  return Match{i, j, pattern, raw > floor ? raw : floor};
}

// n choose k as the reference computes it, in floating point step by step.
double Choose(int n, int k);

}  // namespace qz::strength
