// Times the password estimate, which runs at every keystroke: the first call (it reads
// the word table), then 64-character passwords of several kinds, each first alone (its
// l33t readings not yet remembered) and as the mean of 50 calls. CPU time beside wall
// time, since the machine may be shared (on Windows std::clock gives wall time).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>

#include "password/password_strength.h"

namespace {

struct Took {
  double wallMs;
  double cpuMs;
};

Took Time(const std::string& password, int runs) {
  const auto wall = std::chrono::steady_clock::now();
  const std::clock_t cpu = std::clock();
  for (int k = 0; k < runs; ++k) qz::EstimatePasswordStrength(password);
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - wall;
  return {took.count() / runs, 1000.0 * (std::clock() - cpu) / CLOCKS_PER_SEC / runs};
}

std::string Random(const std::string& alphabet, std::mt19937& rng) {
  std::string out;
  while (out.size() < 64) out += alphabet[rng() % alphabet.size()];
  return out;
}

}  // namespace

int main() {
  const Took first = Time("start", 1);
  std::printf("first call (reads the word table): %.2f ms (cpu %.2f)\n", first.wallMs, first.cpuMs);
  std::mt19937 rng(64);
  std::string printable;
  for (char c = 33; c < 127; ++c) printable += c;
  const std::pair<const char*, std::string> kinds[] = {
      {"random printable", Random(printable, rng)},
      {"random l33t symbols and letters", Random("4@8({[<3691!|7l0$5+%2aeilost", rng)},
      {"l33t words", "p4$$w0rd|7r0ub4d0r&3c0rr3c7h0r53b4773ry5t4p13!1|7l0v3y0u4ndm3@2o"},
      {"symbols repeated", "51|3623!63${[4(%<2{<45+9@77!(0111|3623!63${[4(%<2{<45+9@77!(011!"},
      {"one character repeated", std::string(64, 'a')},
      {"a word repeated", "passwordpasswordpasswordpasswordpasswordpasswordpasswordpassword"},
      {"keyboard walks", "qwertyuiopasdfghjklzxcvbnm1qaz2wsx3edc4rfv5tgb6yhn7ujm8ik,9ol.0p;"},
      {"dates and digits", "1990-01-0119910101020219921992199319941995199619971998199920002"},
      {"random digits", Random("0123456789", rng)},
      {"passphrase", "correct-horse-battery-staple-lamp-orange-window-river-mountain-x"},
  };
  double slowest = 0;
  std::printf("%-34s %21s %21s\n", "64 characters", "alone: wall (cpu) ms", "mean: wall (cpu) ms");
  for (const auto& [name, password] : kinds) {
    const Took alone = Time(password, 1);
    const Took mean = Time(password, 50);
    slowest = std::max({slowest, alone.wallMs, mean.wallMs});
    std::printf("%-34s %12.3f (%6.3f) %12.3f (%6.3f)\n", name, alone.wallMs, alone.cpuMs,
                mean.wallMs, mean.cpuMs);
  }
  std::printf("slowest 64-character estimate: %.3f ms\n", slowest);
  return 0;
}
