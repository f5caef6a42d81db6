// Turning a file into its counterpart for good: the output appears complete under
// its name, is marked, and only then is the source removed. If the source cannot be
// removed, a new output is removed again so that the user keeps exactly one form.
#pragma once

#include <string>

#include "age/prepared_strong_key.h"
#include "crypto/secret.h"
#include "fs/file_system.h"
#include "qz/file_cipher.h"
#include "qz/header.h"
#include "transactions/upgrade_file.h"

namespace qz {

enum class Outcome {
  kDone,               // output in place, source removed (or kept on request)
  kFailed,             // the operation failed at `step`; every file is as it was
  kSourceNotDeleted,   // the source could not be deleted and stayed; see outputKept
  kSourceChanged,      // the source changed while it was worked on: both stay
};

struct TransactionOptions {
  // cipher.acceptOtherName: decrypt a file whose header names another file (its ".qz"
  // is then kept).
  CipherOptions cipher;
  bool keepSource = false;
  // Consent to replace a file of the output's name; without it kDestinationExists.
  bool replaceExisting = false;
  RetryPolicy deleteRetry;
};

struct EncryptResult {
  Outcome outcome = Outcome::kFailed;
  EncryptStep step = EncryptStep::kOk;
  std::string destination;
  // With kSourceNotDeleted: the output is still there, because it replaced a file that
  // existed before (removing it would lose that file's successor) or could not be
  // removed either.
  bool outputKept = false;
  // The output is in place but could not be marked hidden and read-only.
  bool unmarked = false;
  // Set when the source, moved aside to be deleted, could not go back under its name
  // (another file took it meanwhile): where it is now.
  std::string sourceSetAside;
  // The output failed because its disk (or the user's quota) was full.
  bool diskFull = false;
};

struct DecryptResult {
  Outcome outcome = Outcome::kFailed;
  DecryptStep step = DecryptStep::kOk;
  std::string destination;
  bool outputKept = false;
  std::string sourceSetAside;
  // The header's name; with kNameMismatch, or when another name was accepted, or when
  // the match is too short to confirm the password (then the ".qz" stays: sourceKept).
  HeaderName name;
  bool sourceKept = false;
  // An upgraded (".age") output is in place but could not be marked.
  bool unmarked = false;
  // The output failed because its disk (or the user's quota) was full.
  bool diskFull = false;
};

// source -> source + ".qz", marked hidden and read-only.
EncryptResult ReplaceWithEncrypted(const std::string& source, const Secret& password,
                          const TransactionOptions& options = {});
// source (ending in ".qz") -> the name without ".qz".
DecryptResult ReplaceWithDecrypted(const std::string& source, const Secret& password,
                          const TransactionOptions& options = {});

// source -> source + ".age" (password: UTF-8).
EncryptResult ReplaceWithStrongEncrypted(const std::string& source, const Secret& password,
                                         const TransactionOptions& options = {});
// The same with a key prepared beforehand for the password (EncryptStrongFile); the key
// is used up by the call.
EncryptResult ReplaceWithStrongEncrypted(const std::string& source, PreparedStrongKey&& key,
                                         const TransactionOptions& options = {});
// source (ending in ".age", any case) -> the name without it.
DecryptResult ReplaceWithStrongDecrypted(const std::string& source, const Secret& password,
                                         const TransactionOptions& options = {});
// source (ending in ".qz") -> the name without ".qz" plus ".age"; the ".qz" is removed
// only after the ".age" is in place, durable and verified. result.destination is the
// ".age" file.
DecryptResult ReplaceWithUpgraded(const std::string& source, const Secret& qzPassword,
                                  const Secret& strongPassword,
                                  const TransactionOptions& options = {});
// The same with keys made ahead for strongPassword (UpgradeFileData's takeKey).
DecryptResult ReplaceWithUpgraded(const std::string& source, const Secret& qzPassword,
                                  const Secret& strongPassword, const StrongKeyTaker& takeKey,
                                  const TransactionOptions& options = {});

}  // namespace qz
