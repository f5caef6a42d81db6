// Passphrases made for the user: words drawn uniformly from a list of 7,776 words with
// the system's random source, joined by "-".
#pragma once

#include "crypto/secret.h"

namespace qz {

inline constexpr int kPassphraseWords = 8;  // about 103 bits

Secret GeneratePassphrase(int words = kPassphraseWords);

}  // namespace qz
