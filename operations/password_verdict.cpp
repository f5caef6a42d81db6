#include "password_verdict.h"

#include "password_strength.h"

namespace qzops {

PasswordVerdict JudgePassword(std::string_view password, bool strongFile, int workFactor) {
  (void)strongFile;
  (void)workFactor;
  const qz::PasswordStrength strength = qz::EstimatePasswordStrength(password);
  PasswordVerdict verdict;
  verdict.score = strength.score;
  verdict.guessesLog10 = strength.guessesLog10;
  return verdict;
}

}  // namespace qzops
