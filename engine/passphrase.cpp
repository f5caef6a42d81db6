#include "passphrase.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "eff_word_list.h"
#include "random_bytes.h"
#include "secure_wipe.h"

namespace qz {

std::string GeneratePassphrase(int words) {
  if (words <= 0) return std::string();
  // The words are chosen first, so that the phrase is built in a buffer of its final size:
  // no reallocation leaves a copy of it behind unwiped.
  std::vector<std::uint32_t> picks(static_cast<std::size_t>(words));
  std::size_t length = picks.size() - 1;  // the separators
  for (std::uint32_t& pick : picks) {
    pick = RandomBelow(kEffLongWordCount);
    length += std::strlen(kEffLongWords[pick]);
  }
  std::string phrase;
  phrase.reserve(length);
  for (std::size_t i = 0; i < picks.size(); ++i) {
    if (i > 0) phrase += '-';
    phrase += kEffLongWords[picks[i]];
  }
  SecureWipe(picks.data(), picks.size() * sizeof(picks[0]));
  return phrase;
}

}  // namespace qz
