#include "password/password_strength.h"

#include <cmath>

#include "crypto/secure_wipe.h"
#include "strength/guess_estimate.h"
#include "strength/strength_text.h"

namespace qz {

namespace {

// Past this many characters only the beginning is judged: the search grows with the cube
// of the length, and more characters would hardly ever lower the estimate.
constexpr size_t kLongestJudged = 256;

// The scores' bounds: guessed at once, online with throttling, online without, offline
// on a slow hash; above the last, safe against that too.
int Score(strength::Guesses guesses) {
  constexpr strength::Guesses kDelta = 5;
  if (guesses < 1e3L + kDelta) return 0;
  if (guesses < 1e6L + kDelta) return 1;
  if (guesses < 1e8L + kDelta) return 2;
  if (guesses < 1e10L + kDelta) return 3;
  return 4;
}

}  // namespace

PasswordStrength EstimatePasswordStrength(std::string_view password) {
  strength::Text text = strength::DecodeUtf8(password);
  const WipeTextOnExit<strength::Text> wipe(text);
  if (text.size() > kLongestJudged) text.resize(kLongestJudged);
  const strength::Guesses guesses = strength::MinimumGuesses(text);
  PasswordStrength result;
  result.guessesLog10 = static_cast<double>(std::log10(guesses));
  result.score = Score(guesses);
  return result;
}

}  // namespace qz
