#include "strength/strength_match.h"

namespace qz::strength {

double Choose(int n, int k) {
  if (k > n) return 0;
  if (k == 0) return 1;
  double r = 1;
  for (int d = 1; d <= k; ++d) {
    r *= n;
    r /= d;
    --n;
  }
  return r;
}

}  // namespace qz::strength
