// Upgrading a ".qz" file to a strong file in one pass.
#pragma once

#include <string>

#include "crypto/secret.h"
#include "steps/cipher_options.h"
#include "steps/cipher_steps.h"

namespace qz {

// A ".qz" file straight into an age file, never a plain copy on disk: qzPassword (code
// page 936) opens the source, strongPassword (UTF-8) protects the output. The ".qz"
// header's verdicts apply as in DecryptFileData. The output is flushed, read back and
// checked against what was written before it is committed.
DecryptStep UpgradeFileData(const std::string& source, const std::string& destination,
                            const Secret& qzPassword, const Secret& strongPassword,
                            const CipherOptions& options = {});

}  // namespace qz
