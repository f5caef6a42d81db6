// Strong files: the age v1 format with one scrypt passphrase stanza, so that any age
// tool opens them. A strong password is UTF-8 bytes and is never empty. Outputs go
// through the same temporary-name commit as ".qz" files: a file that fails any check
// leaves nothing behind.
#pragma once

#include <string>

#include "age/prepared_strong_key.h"
#include "age/strong_format.h"
#include "crypto/secret.h"
#include "fs/checked_paths.h"
#include "steps/cipher_options.h"
#include "steps/cipher_steps.h"

namespace qz {

// source -> destination in the binary age format (options.workFactor).
EncryptStep EncryptStrongFile(const std::string& source, const std::string& destination,
                              const Secret& password, const CipherOptions& options = {});
// The same with a key prepared beforehand (PreparedStrongKey): its header is written as
// it is, after a check that it belongs to the key's file key. The key is used up: wiped
// when the call returns, so that it protects one output only.
EncryptStep EncryptStrongFile(const std::string& source, const std::string& destination,
                              PreparedStrongKey&& key, const CipherOptions& options = {});
// An age file, binary or armored, -> its plaintext. Every chunk is authenticated before
// it is written; the output is committed only after the last chunk checked out.
DecryptStep DecryptStrongFile(const std::string& source, const std::string& destination,
                              const Secret& password, const CipherOptions& options = {});
// Reads and authenticates the whole file; writes nothing. kOk when the password opens it
// and every chunk is intact.
DecryptStep CheckStrongPassword(const std::string& source, const Secret& password,
                                const CipherOptions& options = {});

// The header of the strong file at path alone, read for a key derived ahead of the
// file's turn; false when it has none that a password opens. The file's own decryption
// reads and judges its header again.
bool ReadStrongHeader(const std::string& path, StrongHeader* header);

// The same with paths checked before (the string forms check them: kPathTooLong).
EncryptStep EncryptStrongFile(const CheckedPaths& paths, const Secret& password,
                              const CipherOptions& options = {});
EncryptStep EncryptStrongFile(const CheckedPaths& paths, PreparedStrongKey&& key,
                              const CipherOptions& options = {});
DecryptStep DecryptStrongFile(const CheckedPaths& paths, const Secret& password,
                              const CipherOptions& options = {});

}  // namespace qz
