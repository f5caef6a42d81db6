// Causes of a failed file access. The texts for them belong to the front ends.
#pragma once

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

}  // namespace qz
