// Opening a ".qz" file and judging its header: what decryption, the password check
// and the upgrade to a strong file share. Internal to the engine.
#pragma once

#include <memory>
#include <string>

#include "crypto/secret.h"
#include "fs/file_streams.h"
#include "qz/cipher.h"
#include "steps/cipher_options.h"
#include "steps/cipher_steps.h"

namespace qz {

struct OpenedQz {
  InputFile in;
  std::unique_ptr<CipherKey> key;
};

// Checks the password's and the paths' lengths, opens the source, creates the
// temporary output for destination when one is given (refusing a directory or a
// read-only file of that name), and derives the key.
DecryptStep OpenAndCheckHeader(const std::string& source, const Secret& password,
                               const CipherOptions& options, OpenedQz* opened,
                               TempOutput* out, const std::string* destination);

// Three verdicts: the file's own name (the password is right), another plausible name
// (a renamed file, or a wrong password that slipped through: never decrypted without
// the caller's consent), or no name at all (a wrong password).
DecryptStep ReadHeader(OpenedQz& opened, const std::string& source, const CipherOptions& options);

}  // namespace qz
