#include "strength/repeat_matches.h"

namespace qz::strength {

namespace {

// Whether text[at, at + length) is followed at once by itself. The reference finds
// repeats with a regular expression whose '.' stops at a line break.
bool SaidTwice(const Text& text, size_t at, size_t length) {
  if (at + 2 * length > text.size()) return false;
  for (size_t k = 0; k < length; ++k) {
    if (text[at + k] == U'\n' || text[at + k] != text[at + length + k]) return false;
  }
  return true;
}

// How far the piece text[at, at + length) repeats from at, whole copies only.
size_t RunLength(const Text& text, size_t at, size_t length) {
  size_t end = at + length;
  while (end + length <= text.size() && text.compare(end, length, text, at, length) == 0)
    end += length;
  return end - at;
}

// The shortest piece that the whole of text[at, at + length) repeats.
size_t ShortestPeriod(const Text& text, size_t at, size_t length) {
  for (size_t period = 1; period < length; ++period) {
    if (length % period == 0 && RunLength(text, at, period) == length) return period;
  }
  return length;
}

}  // namespace

void AddRepeatMatches(const Text& password, WholeTextGuesses pieceGuesses, Matches& out) {
  const size_t n = password.size();
  size_t from = 0;
  while (from < n) {
    // The leftmost start of a repeat, with its shortest and its longest piece, as the
    // reference's lazy and greedy expressions find them.
    size_t start = from;
    size_t shortest = 0;
    size_t longest = 0;
    for (; start < n && shortest == 0; start += shortest == 0) {
      for (size_t length = 1; 2 * length <= n - start; ++length) {
        if (!SaidTwice(password, start, length)) continue;
        if (shortest == 0) shortest = length;
        longest = length;
      }
    }
    if (shortest == 0) break;
    const size_t greedyRun = RunLength(password, start, longest);
    const size_t lazyRun = RunLength(password, start, shortest);
    // The greedy run wins where it is longer ("aabaab"); its piece may repeat itself.
    const size_t run = greedyRun > lazyRun ? greedyRun : lazyRun;
    const size_t piece = greedyRun > lazyRun ? ShortestPeriod(password, start, run) : shortest;
    const double count = static_cast<double>(run) / static_cast<double>(piece);
    const Guesses guesses = pieceGuesses(password.substr(start, piece)) * count;
    const int i = static_cast<int>(start);
    const int j = static_cast<int>(start + run - 1);
    out.push_back(MakeMatch(Pattern::kRepeat, i, j, guesses, static_cast<int>(n)));
    from = start + run;
  }
}

}  // namespace qz::strength
