#include "strength/cheapest_cover.h"

#include <vector>

namespace qz::strength {

namespace {

constexpr Guesses kBruteforceCardinality = 10;
constexpr Guesses kMinGuessesBeforeGrowingSequence = 10000;

// The best cover of l pieces found so far for one prefix. The reference keeps these in
// insertion order and never drops a longer one that a shorter one later beats; that
// order decides ties, so it is kept here too.
struct Cover {
  int pieces;
  Guesses total;    // the cost above
  Guesses product;  // the product of the pieces' guesses
  bool endsInBruteforce;
};

class CoverSearch {
 public:
  explicit CoverSearch(int n) : m_best(n), m_n(n) {
    for (auto& best : m_best) best.reserve(8);
    Guesses power = 1;
    for (int k = 0; k <= n; ++k, power *= kBruteforceCardinality) m_tenPower.push_back(power);
    Guesses factorial = 1;
    m_factorial.push_back(1);
    for (int l = 1; l <= n; ++l) m_factorial.push_back(factorial *= l);
    Guesses growth = 1;
    for (int l = 0; l <= n; ++l, growth *= kMinGuessesBeforeGrowingSequence)
      m_growth.push_back(growth);
  }

  // A cover whose last piece is guesses over [i, j] and that has `pieces` pieces.
  void Consider(int i, int j, Guesses guesses, bool bruteforce, int pieces) {
    Guesses product = guesses;
    if (pieces > 1) product *= Find(i - 1, pieces - 1)->product;
    const Guesses total = m_factorial[pieces] * product + m_growth[pieces - 1];
    std::vector<Cover>& best = m_best[j];
    for (const Cover& other : best) {
      if (other.pieces <= pieces && other.total <= total) return;
    }
    if (Cover* same = Find(j, pieces)) {
      *same = Cover{pieces, total, product, bruteforce};
    } else {
      best.push_back(Cover{pieces, total, product, bruteforce});
    }
  }

  // Every match ending at j extends every cover of the prefix before it.
  void Extend(const Match& match) {
    if (match.i == 0) return Consider(0, match.j, match.guesses, false, 1);
    for (const Cover& cover : m_best[match.i - 1])
      Consider(match.i, match.j, match.guesses, false, cover.pieces + 1);
  }

  // Brute force over [i, k], alone or after a cover that does not end in brute force
  // (two brute-forced pieces side by side are never cheaper than one).
  void ExtendByBruteforce(int k) {
    Consider(0, k, BruteforceGuesses(0, k), true, 1);
    for (int i = 1; i <= k; ++i) {
      for (const Cover& cover : m_best[i - 1]) {
        if (!cover.endsInBruteforce)
          Consider(i, k, BruteforceGuesses(i, k), true, cover.pieces + 1);
      }
    }
  }

  Guesses Cheapest() const {
    Guesses cheapest = 0;
    for (const Cover& cover : m_best[m_n - 1])
      if (cheapest == 0 || cover.total < cheapest) cheapest = cover.total;
    return cheapest;
  }

 private:
  Cover* Find(int j, int pieces) {
    for (Cover& cover : m_best[j])
      if (cover.pieces == pieces) return &cover;
    return nullptr;
  }

  // At least one more than a match of the same length, so that a match always wins.
  Guesses BruteforceGuesses(int i, int j) const {
    const int length = j - i + 1;
    if (length == 1) return 11;
    return m_tenPower[length] > 51 ? m_tenPower[length] : 51;
  }

  std::vector<std::vector<Cover>> m_best;  // by the last position covered
  std::vector<Guesses> m_tenPower;
  std::vector<Guesses> m_factorial;
  std::vector<Guesses> m_growth;
  int m_n;
};

}  // namespace

Guesses CheapestCover(int passwordLength, const Matches& matches) {
  if (passwordLength == 0) return 1;
  CoverSearch search(passwordLength);
  // Matches by their last position, each group in order of first position.
  std::vector<std::vector<const Match*>> byEnd(passwordLength);
  for (const Match& match : matches) byEnd[match.j].push_back(&match);
  for (int k = 0; k < passwordLength; ++k) {
    for (const Match* match : byEnd[k]) search.Extend(*match);
    search.ExtendByBruteforce(k);
  }
  return search.Cheapest();
}

}  // namespace qz::strength
