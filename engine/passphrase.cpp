#include "passphrase.h"

namespace qz {

std::string GeneratePassphrase(int words) { return std::string(static_cast<std::size_t>(words), 'x'); }

}  // namespace qz
