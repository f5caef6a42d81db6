#include "replace_transaction.h"

#include "qz_name.h"

namespace qz {

namespace {

// After a successful operation: remove the source while it is still the file that was
// read, or undo the output if the source stays for a reason of its own. Returns the
// outcome and whether an output was kept beside a kept source.
Outcome FinishReplace(const std::string& source, const std::string& destination,
                      bool destinationExisted, const FileSnapshot& read,
                      const TransactionOptions& options, bool keepSource, bool* outputKept) {
  *outputKept = false;
  if (keepSource) return Outcome::kDone;
  switch (RemoveIfUnchanged(source, read, options.deleteRetry)) {
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

}  // namespace

EncryptResult ReplaceWithEncrypted(const std::string& source, const std::string& password,
                                   const TransactionOptions& options) {
  EncryptResult result;
  result.destination = AppendEncryptedExtension(source);
  const bool existed = PathExists(result.destination);
  FileSnapshot read;
  CipherOptions cipher = options.cipher;
  cipher.replaceExisting = options.replaceExisting;
  cipher.sourceRead = &read;
  result.step = EncryptFileData(source, result.destination, password, cipher);
  if (result.step != EncryptStep::kOk) return result;
  MarkHiddenReadOnly(result.destination);
  result.outcome = FinishReplace(source, result.destination, existed, read, options,
                                 options.keepSource, &result.outputKept);
  return result;
}

DecryptResult ReplaceWithDecrypted(const std::string& source, const std::string& password,
                                   const TransactionOptions& options) {
  DecryptResult result;
  if (!HasEncryptedExtension(source)) {
    result.step = DecryptStep::kNotEncryptedName;
    return result;
  }
  result.destination = StripEncryptedExtension(source);
  const bool existed = PathExists(result.destination);
  FileSnapshot read;
  CipherOptions cipher = options.cipher;
  cipher.replaceExisting = options.replaceExisting;
  cipher.sourceRead = &read;
  cipher.storedName = &result.name;
  result.step = DecryptFileData(source, result.destination, password, cipher);
  if (result.step != DecryptStep::kOk) return result;
  // Decrypted under another file's name: the ".qz" stays, in case the password was wrong.
  result.sourceKept = !result.name.matches;
  result.outcome = FinishReplace(source, result.destination, existed, read, options,
                                 options.keepSource || result.sourceKept, &result.outputKept);
  return result;
}

}  // namespace qz
