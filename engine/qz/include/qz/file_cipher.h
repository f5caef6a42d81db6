// Encrypting a file into its ".qz" counterpart and back. Each operation returns the
// step that failed; the output appears under the destination's name only complete
// and on stable storage, and a failure leaves every existing file as it was.
#pragma once

#include <string>

#include "crypto/secret.h"
#include "qz/cipher.h"
#include "steps/cipher_options.h"
#include "steps/cipher_steps.h"

namespace qz {

EncryptStep EncryptFileData(const std::string& source, const std::string& destination,
                            const Secret& password, const CipherOptions& options = {});
DecryptStep DecryptFileData(const std::string& source, const std::string& destination,
                            const Secret& password, const CipherOptions& options = {});

// Decrypts only the header: kOk when the password opens the file, kWrongPassword when
// it does not, kNameMismatch when the stored name differs (options.storedName tells
// it). Writes nothing.
DecryptStep CheckPassword(const std::string& source, const Secret& password,
                          const CipherOptions& options = {});

}  // namespace qz
