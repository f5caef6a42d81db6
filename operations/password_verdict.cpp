#include "password_verdict.h"

#include <algorithm>
#include <cmath>

#include "password/password_strength.h"

namespace qzops {

namespace {

constexpr double kCores = 1000;
constexpr int kScryptSecondWorkFactor = 18;  // one scrypt takes a second on one core here
constexpr double kQzGuessesPerCoreSecond = 1e7;
constexpr double kQzKeyBits = 40;
constexpr double kLongestSeconds = 1e300;  // far beyond any display; never infinite

}  // namespace

PasswordVerdict JudgePassword(std::string_view password, bool strongFile, int workFactor) {
  const qz::PasswordStrength strength = qz::EstimatePasswordStrength(password);
  PasswordVerdict verdict;
  verdict.score = strength.score;
  verdict.guessesLog10 = strength.guessesLog10;
  double guessesLog10 = strength.guessesLog10;
  double rateLog10;
  if (strongFile) {
    rateLog10 = std::log10(kCores) - (workFactor - kScryptSecondWorkFactor) * std::log10(2.0);
  } else {
    rateLog10 = std::log10(kCores * kQzGuessesPerCoreSecond);
    const double keyLog10 = kQzKeyBits * std::log10(2.0);
    verdict.limitedByQzKey = guessesLog10 > keyLog10;
    guessesLog10 = std::min(guessesLog10, keyLog10);
  }
  verdict.secondsToGuess = std::min(std::pow(10.0, guessesLog10 - rateLog10), kLongestSeconds);
  return verdict;
}

}  // namespace qzops
