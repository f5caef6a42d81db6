// What a password is worth depends on the file: a strong file's time grows with the
// password and its work factor, a ".qz" file's never passes what its 40-bit key allows.
#include "password_verdict.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(PasswordVerdictTest, TimeFollowsTheFileKind) {
  const auto weak = qzops::JudgePassword("password", true, 18);
  const auto strong = qzops::JudgePassword("correct-horse-battery-staple-lamp", true, 18);
  EXPECT_TRUE(weak.Weak());
  EXPECT_FALSE(strong.Weak());
  EXPECT_LT(weak.secondsToGuess, 1);
  EXPECT_GT(strong.secondsToGuess, 1e9);
  // Each step of the work factor doubles every guess.
  EXPECT_NEAR(qzops::JudgePassword("letmein2024", true, 20).secondsToGuess /
                  qzops::JudgePassword("letmein2024", true, 18).secondsToGuess,
              4, 1e-9);
  // The ".qz" key gives out first for a strong password, never for a weak one.
  const auto qzStrong = qzops::JudgePassword("correct-horse-battery-staple-lamp", false, 18);
  EXPECT_TRUE(qzStrong.limitedByQzKey);
  EXPECT_NEAR(qzStrong.secondsToGuess, std::ldexp(1.0, 40) / 1e10, 1e-6);
  EXPECT_EQ(qzStrong.score, strong.score);
  EXPECT_FALSE(qzops::JudgePassword("password", false, 18).limitedByQzKey);
}
