// The texts qzcrypt prints: the failing step of an operation, usage and version.
#pragma once

#include <string>

#include "qz/file_cipher.h"
#include "transactions/replace_transaction.h"

namespace qzcli {

// "cannot open the source (E1)" and the like: what went wrong, in plain words.
// With diskFull, a failed write says that the disk was full.
std::string StepText(qz::EncryptStep step, bool diskFull = false);
std::string StepText(qz::DecryptStep step, bool diskFull = false);

// Why a finished output and its source both stayed, or why the output went again.
std::string SourceNotDeletedText(bool outputKept, const std::string& destination);

const char* UsageText();
std::string VersionText();

}  // namespace qzcli
