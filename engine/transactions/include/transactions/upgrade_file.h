// Upgrading a ".qz" file to a strong file in one pass.
#pragma once

#include <functional>
#include <string>

#include "age/prepared_strong_key.h"
#include "crypto/secret.h"
#include "fs/checked_paths.h"
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
// Asked for a key made ahead for the strong password once the ".qz" file has opened with
// its own, so that a file the password does not open costs none; false: the writer makes
// its own.
using StrongKeyTaker = std::function<bool(PreparedStrongKey* key)>;

// The same with paths checked before (the string form checks them: kPathTooLong). A key
// from takeKey gives the output its header, and the read-back its wrap key, with no
// scrypt here; it is wiped when the call returns.
DecryptStep UpgradeFileData(const CheckedPaths& paths, const Secret& qzPassword,
                            const Secret& strongPassword, const CipherOptions& options = {},
                            const StrongKeyTaker& takeKey = {});

}  // namespace qz
