#include "strong_password.h"

#include <cmath>
#include <cstdio>

#include "code_page.h"
#include "commands.h"
#include "console_text.h"
#include "password/passphrase.h"
#include "password_input.h"
#include "password_verdict.h"
#include "qz/default_password.h"

namespace qzcli {

namespace {

// "about 3 hours", "less than a second", "more than a century".
std::string DurationText(double seconds) {
  static const struct {
    double seconds;
    const char* name;
  } units[] = {{60.0 * 60 * 24 * 365, "year"}, {60.0 * 60 * 24, "day"}, {60.0 * 60, "hour"},
               {60, "minute"}, {1, "second"}};
  if (seconds >= 100 * units[0].seconds) return "more than a century";
  for (const auto& unit : units) {
    if (seconds < unit.seconds) continue;
    const long count = std::lround(seconds / unit.seconds);
    return "about " + std::to_string(count) + " " + unit.name + (count == 1 ? "" : "s");
  }
  return "less than a second";
}

// "about 20 guesses", "about 10^14 guesses".
std::string GuessesText(double log10) {
  if (log10 < 3) return "about " + std::to_string(std::lround(std::pow(10.0, log10))) + " guesses";
  return "about 10^" + std::to_string(std::lround(log10)) + " guesses";
}

}  // namespace

bool ReadNewPasswordFile(const std::string& path, qz::Secret* utf8, std::string* error) {
  qz::Secret raw;
  const PasswordStatus status = ReadPasswordFile(path, &raw, error);
  if (status != PasswordStatus::kOk) return false;
  if (!PasswordToUtf8(raw, utf8)) {
    *error = "the new password file " + path + " is neither UTF-8 nor code page 936 bytes";
  } else if (utf8->empty()) {
    *error = "the new password file " + path +
             " gives an empty password; a strong (.age) file needs a password";
  } else if (qz::IsDefaultPassword(*utf8)) {
    *error = "the new password file " + path + " gives the built-in default password, which anyone can use";
  } else {
    return true;
  }
  utf8->Clear();
  return false;
}

qz::Secret GeneratedPassword() {
  static const char kIntro[] =
      "qzcrypt: generated password (write it down: the .age files cannot be opened without it): ";
  qz::Secret phrase = qz::GeneratePassphrase();
  // The whole line in guarded memory, written in one piece.
  qz::Secret line;
  line.Reserve(sizeof kIntro + phrase.size() + 1);
  line.Append(kIntro, sizeof kIntro - 1);
  line.Append(phrase.data(), phrase.size());
  line.Append('\n');
  std::fflush(stdout);
  WriteText(stderr, line);
  std::fflush(stderr);
  return phrase;
}

void WarnIfEasyToGuess(const qz::Secret& utf8, int workFactor) {
  const qzops::PasswordVerdict verdict = qzops::JudgePassword(utf8.view(), true, workFactor);
  if (!verdict.Weak()) return;
  ReportError("warning: this password is easy to guess (score " + std::to_string(verdict.score) + " of 4, " +
              GuessesText(verdict.guessesLog10) + "; " + DurationText(verdict.secondsToGuess) +
              " at 1,000 cores against scrypt at work factor " + std::to_string(workFactor) + ")");
}

}  // namespace qzcli
