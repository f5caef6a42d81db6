#include "strength/sequence_matches.h"

#include <cstdlib>

namespace qz::strength {

namespace {

constexpr long kMaxStep = 5;

void AddRun(const Text& password, int i, int j, long step, Matches& out) {
  const long size = std::labs(step);
  if (!(j - i > 1 || size == 1) || size == 0 || size > kMaxStep) return;
  const char32_t first = password[i];
  // Obvious starting points come first; descending runs are tried after ascending ones.
  int base = 26;
  if (first == U'a' || first == U'A' || first == U'z' || first == U'Z' || first == U'0' ||
      first == U'1' || first == U'9') {
    base = 4;
  } else if (DecimalDigitValue(first) >= 0) {
    base = 10;
  }
  if (step < 0) base *= 2;
  out.push_back(MakeMatch(Pattern::kSequence, i, j, static_cast<Guesses>(base) * (j - i + 1),
                          static_cast<int>(password.size())));
}

}  // namespace

void AddSequenceMatches(const Text& password, Matches& out) {
  const int n = static_cast<int>(password.size());
  if (n < 2) return;
  int i = 0;
  long lastStep = static_cast<long>(password[1]) - static_cast<long>(password[0]);
  for (int k = 1; k < n; ++k) {
    const long step = static_cast<long>(password[k]) - static_cast<long>(password[k - 1]);
    if (step == lastStep) continue;
    AddRun(password, i, k - 1, lastStep, out);
    i = k - 1;
    lastStep = step;
  }
  AddRun(password, i, n - 1, lastStep, out);
}

}  // namespace qz::strength
