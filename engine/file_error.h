// Causes of a failed file access and the texts the program shows for them.
#pragma once

#include <string>

namespace qz {

enum class FileErrorCause {
  kNone,
  kGeneric,
  kFileNotFound,
  kBadPath,
  kTooManyOpenFiles,
  kAccessDenied,
  kInvalidFile,
  kRemoveCurrentDir,
  kDirectoryFull,
  kBadSeek,
  kHardIO,
  kSharingViolation,
  kLockViolation,
  kDiskFull,
  kEndOfFile,
};

// Maps an operating-system error code (GetLastError() on Windows, errno on POSIX).
FileErrorCause FileErrorCauseFromSystem(unsigned long code);

// The UTF-8 text for a cause, with "%1" standing for the path.
const char* FileErrorTemplate(FileErrorCause cause);
// The text with "%1" replaced by path.
std::string FormatFileError(FileErrorCause cause, const std::string& path);

}  // namespace qz
