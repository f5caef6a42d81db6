#include "replace_transaction.h"

#include "qz_name.h"

namespace qz {

namespace {

// After a successful operation: remove the source, or undo the output if the source
// stays. Returns the outcome and whether an output was kept beside a kept source.
Outcome FinishReplace(const std::string& source, const std::string& destination,
                      bool destinationExisted, const TransactionOptions& options,
                      bool* outputKept) {
  *outputKept = false;
  if (options.keepSource) return Outcome::kDone;
  if (DeleteFileWithRetry(source, options.deleteRetry)) return Outcome::kDone;
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
  result.step = EncryptFileData(source, result.destination, password, options.cipher);
  if (result.step != EncryptStep::kOk) return result;
  MarkHiddenReadOnly(result.destination);
  result.outcome =
      FinishReplace(source, result.destination, existed, options, &result.outputKept);
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
  result.step = DecryptFileData(source, result.destination, password, options.cipher);
  if (result.step != DecryptStep::kOk) return result;
  result.outcome =
      FinishReplace(source, result.destination, existed, options, &result.outputKept);
  return result;
}

}  // namespace qz
