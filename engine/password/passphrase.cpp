#include "password/passphrase.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "crypto/random_bytes.h"
#include "crypto/secure_wipe.h"
#include "eff_word_list.h"

namespace qz {

Secret GeneratePassphrase(int words) {
  if (words <= 0) return Secret();
  // The words are chosen first, so that the phrase is built in a block of its final size.
  std::vector<std::uint32_t> picks(static_cast<std::size_t>(words));
  std::size_t length = picks.size() - 1;  // the separators
  for (std::uint32_t& pick : picks) {
    pick = RandomBelow(kEffLongWordCount);
    length += std::strlen(kEffLongWords[pick]);
  }
  Secret phrase;
  phrase.Reserve(length);
  for (std::size_t i = 0; i < picks.size(); ++i) {
    if (i > 0) phrase.Append('-');
    phrase.Append(kEffLongWords[picks[i]], std::strlen(kEffLongWords[picks[i]]));
  }
  SecureWipe(picks.data(), picks.size() * sizeof(picks[0]));
  return phrase;
}

}  // namespace qz
