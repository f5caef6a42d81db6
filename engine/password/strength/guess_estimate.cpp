#include "strength/guess_estimate.h"

#include <algorithm>

#include "strength/cheapest_cover.h"
#include "strength/date_matches.h"
#include "strength/dictionary_matches.h"
#include "strength/keyboard_matches.h"
#include "strength/repeat_matches.h"
#include "strength/sequence_matches.h"

namespace qz::strength {

Matches AllMatches(const Text& text) {
  Matches matches;
  AddDictionaryMatches(text, matches);
  AddReversedDictionaryMatches(text, matches);
  AddL33tMatches(text, matches);
  AddKeyboardMatches(text, matches);
  AddRepeatMatches(text, MinimumGuesses, matches);
  AddSequenceMatches(text, matches);
  AddRecentYearMatches(text, matches);
  AddDateMatches(text, matches);
  std::stable_sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) {
    return a.i != b.i ? a.i < b.i : a.j < b.j;
  });
  return matches;
}

Guesses MinimumGuesses(const Text& text) {
  return CheapestCover(static_cast<int>(text.size()), AllMatches(text));
}

}  // namespace qz::strength
