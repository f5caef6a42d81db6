// Times the password estimate, which runs at every keystroke: the first call (it builds
// the word table), then the slowest of 64-character passwords of several kinds.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "password_strength.h"

namespace {

double Milliseconds(const std::string& password, int runs) {
  const auto start = std::chrono::steady_clock::now();
  for (int k = 0; k < runs; ++k) qz::EstimatePasswordStrength(password);
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  return took.count() / runs;
}

std::string Random(const std::string& alphabet, std::mt19937& rng) {
  std::string out;
  while (out.size() < 64) out += alphabet[rng() % alphabet.size()];
  return out;
}

}  // namespace

int main() {
  std::printf("first call (builds the word table): %.2f ms\n", Milliseconds("start", 1));
  std::mt19937 rng(64);
  std::string printable;
  for (char c = 33; c < 127; ++c) printable += c;
  const std::pair<const char*, std::string> kinds[] = {
      {"random printable", Random(printable, rng)},
      {"random l33t symbols and letters", Random("4@8({[<3691!|7l0$5+%2aeilost", rng)},
      {"l33t words", "p4$$w0rd|7r0ub4d0r&3c0rr3c7h0r53b4773ry5t4p13!1|7l0v3y0u4ndm3@2o"},
      {"one character repeated", std::string(64, 'a')},
      {"a word repeated", "passwordpasswordpasswordpasswordpasswordpasswordpasswordpassword"},
      {"keyboard walks", "qwertyuiopasdfghjklzxcvbnm1qaz2wsx3edc4rfv5tgb6yhn7ujm8ik,9ol.0p;"},
      {"dates and digits", "1990-01-0119910101020219921992199319941995199619971998199920002"},
      {"random digits", Random("0123456789", rng)},
      {"passphrase", "correct-horse-battery-staple-lamp-orange-window-river-mountain-x"},
  };
  double slowest = 0;
  for (const auto& [name, password] : kinds) {
    const double ms = Milliseconds(password, 50);
    slowest = ms > slowest ? ms : slowest;
    std::printf("%-34s %6.3f ms\n", name, ms);
  }
  std::printf("slowest 64-character estimate: %.3f ms\n", slowest);
  return 0;
}
