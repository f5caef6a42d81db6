#include "transactions/replace_transaction.h"

#include <optional>
#include <utility>

#include "age/strong_file.h"
#include "fs/checked_paths.h"
#include "fs/file_names.h"
#include "transactions/upgrade_file.h"

namespace qz {

namespace {

// After a successful operation: remove the source while it is still the file that was
// read, or undo the output if the source stays for a reason of its own. Returns the
// outcome and whether an output was kept beside a kept source.
Outcome FinishReplace(const std::string& source, const std::string& destination,
                      bool destinationExisted, const FileSnapshot& read,
                      const TransactionOptions& options, bool keepSource, bool* outputKept,
                      std::string* setAside) {
  *outputKept = false;
  if (keepSource) return Outcome::kDone;
  switch (RemoveIfUnchanged(source, read, options.deleteRetry, setAside)) {
    case SourceRemoval::kRemoved: return Outcome::kDone;
    case SourceRemoval::kChanged:
      // The output holds what was read, the source what came since: both are wanted.
      *outputKept = true;
      return Outcome::kSourceChanged;
    case SourceRemoval::kNotRemoved: break;
  }
  // An output that replaced an earlier file stays: removing it would lose that file's
  // successor along with the file itself.
  *outputKept = destinationExisted || !DeleteFileWithRetry(destination, options.deleteRetry);
  return Outcome::kSourceNotDeleted;
}

// An encryption into destination, then the source replaced by it.
template <typename Operation>
EncryptResult ReplaceEncrypting(const std::string& source, const std::string& destination,
                                const TransactionOptions& options, Operation encrypt) {
  EncryptResult result;
  result.destination = destination;
  const std::optional<CheckedPaths> paths = CheckedPaths::Check(source, destination);
  if (!paths) {
    result.step = EncryptStep::kPathTooLong;
    return result;
  }
  const bool existed = PathExists(result.destination);
  FileSnapshot read;
  CipherOptions cipher = options.cipher;
  cipher.overwriteDestination = options.replaceExisting;
  cipher.sourceRead = &read;
  cipher.outputOutOfSpace = &result.diskFull;
  result.step = encrypt(*paths, cipher);
  if (result.step != EncryptStep::kOk) return result;
  // The output is complete and durable: a failed marking costs no file, but is told.
  // POSIX: the output lost its write bits through its own handle before the rename; a
  // chmod by name now could follow a link put in its place.
#ifdef _WIN32
  result.unmarked = !MarkHiddenReadOnly(result.destination);
#endif
  result.outcome = FinishReplace(source, result.destination, existed, read, options,
                                 options.keepSource, &result.outputKept, &result.sourceSetAside);
  return result;
}

// What a decrypting operation reads and writes: whether a ".qz" header's name is
// judged, and whether the output is an encrypted file to be marked.
enum class Decrypting { kQzToPlain, kStrongToPlain, kQzToStrong };

template <typename Operation>
DecryptResult ReplaceDecrypting(const std::string& source, const std::string& destination,
                                const TransactionOptions& options, Decrypting kind,
                                Operation decrypt) {
  DecryptResult result;
  result.destination = destination;
  const std::optional<CheckedPaths> paths = CheckedPaths::Check(source, destination);
  if (!paths) {
    result.step = DecryptStep::kPathTooLong;
    return result;
  }
  const bool existed = PathExists(result.destination);
  FileSnapshot read;
  CipherOptions cipher = options.cipher;
  cipher.overwriteDestination = options.replaceExisting;
  cipher.sourceRead = &read;
  cipher.storedName = &result.name;
  cipher.outputOutOfSpace = &result.diskFull;
  result.step = decrypt(*paths, cipher);
  if (result.step != DecryptStep::kOk) return result;
#ifdef _WIN32
  if (kind == Decrypting::kQzToStrong) result.unmarked = !MarkHiddenReadOnly(result.destination);
#endif
  // Decrypted under another file's name, or under a name too short to tell a wrong
  // password: the ".qz" stays, in case the password was wrong.
  result.sourceKept = kind != Decrypting::kStrongToPlain && !result.name.confirmed;
  result.outcome = FinishReplace(source, result.destination, existed, read, options,
                                 options.keepSource || result.sourceKept, &result.outputKept,
                                 &result.sourceSetAside);
  return result;
}

DecryptResult NotEncryptedName() {
  DecryptResult result;
  result.step = DecryptStep::kNotEncryptedName;
  return result;
}

}  // namespace

EncryptResult ReplaceWithEncrypted(const std::string& source, const Secret& password,
                                   const TransactionOptions& options) {
  return ReplaceEncrypting(source, AppendEncryptedExtension(source), options,
                           [&](const CheckedPaths& paths, const CipherOptions& cipher) {
                             return EncryptFileData(paths, password, cipher);
                           });
}

DecryptResult ReplaceWithDecrypted(const std::string& source, const Secret& password,
                                   const TransactionOptions& options) {
  if (!HasEncryptedExtension(source)) return NotEncryptedName();
  return ReplaceDecrypting(source, StripEncryptedExtension(source), options, Decrypting::kQzToPlain,
                           [&](const CheckedPaths& paths, const CipherOptions& cipher) {
                             return DecryptFileData(paths, password, cipher);
                           });
}

EncryptResult ReplaceWithStrongEncrypted(const std::string& source, const Secret& password,
                                         const TransactionOptions& options) {
  return ReplaceEncrypting(source, AppendStrongExtension(source), options,
                           [&](const CheckedPaths& paths, const CipherOptions& cipher) {
                             return EncryptStrongFile(paths, password, cipher);
                           });
}

EncryptResult ReplaceWithStrongEncrypted(const std::string& source, PreparedStrongKey&& key,
                                         const TransactionOptions& options) {
  // Taken here: wiped on return, whatever the transaction did with it.
  PreparedStrongKey used(std::move(key));
  return ReplaceEncrypting(source, AppendStrongExtension(source), options,
                           [&](const CheckedPaths& paths, const CipherOptions& cipher) {
                             return EncryptStrongFile(paths, std::move(used), cipher);
                           });
}

DecryptResult ReplaceWithStrongDecrypted(const std::string& source, const Secret& password,
                                         const TransactionOptions& options) {
  if (!HasStrongExtension(source)) return NotEncryptedName();
  return ReplaceDecrypting(source, StripStrongExtension(source), options, Decrypting::kStrongToPlain,
                           [&](const CheckedPaths& paths, const CipherOptions& cipher) {
                             return DecryptStrongFile(paths, password, cipher);
                           });
}

DecryptResult ReplaceWithUpgraded(const std::string& source, const Secret& qzPassword,
                                  const Secret& strongPassword,
                                  const TransactionOptions& options) {
  return ReplaceWithUpgraded(source, qzPassword, strongPassword, StrongKeyTaker(), options);
}

DecryptResult ReplaceWithUpgraded(const std::string& source, const Secret& qzPassword,
                                  const Secret& strongPassword, const StrongKeyTaker& takeKey,
                                  const TransactionOptions& options) {
  if (!HasEncryptedExtension(source)) return NotEncryptedName();
  return ReplaceDecrypting(
      source, AppendStrongExtension(StripEncryptedExtension(source)), options, Decrypting::kQzToStrong,
      [&](const CheckedPaths& paths, const CipherOptions& cipher) {
        return UpgradeFileData(paths, qzPassword, strongPassword, cipher, takeKey);
      });
}

}  // namespace qz
