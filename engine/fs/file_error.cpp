#include "fs/file_error.h"

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#endif

namespace qz {

FileErrorCause FileErrorCauseFromSystem(unsigned long code) {
#ifdef _WIN32
  switch (code) {
    case NO_ERROR: return FileErrorCause::kNone;
    case ERROR_FILE_NOT_FOUND: return FileErrorCause::kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY: return FileErrorCause::kBadPath;
    case ERROR_TOO_MANY_OPEN_FILES: return FileErrorCause::kTooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_CANNOT_MAKE:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return FileErrorCause::kAccessDenied;
    case ERROR_INVALID_HANDLE: return FileErrorCause::kInvalidFile;
    case ERROR_CURRENT_DIRECTORY: return FileErrorCause::kRemoveCurrentDir;
    case ERROR_NO_MORE_FILES: return FileErrorCause::kDirectoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return FileErrorCause::kBadSeek;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
    case ERROR_SECTOR_NOT_FOUND: return FileErrorCause::kHardIO;
    case ERROR_SHARING_VIOLATION: return FileErrorCause::kSharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_DRIVE_LOCKED: return FileErrorCause::kLockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileErrorCause::kDiskFull;
    case ERROR_HANDLE_EOF: return FileErrorCause::kEndOfFile;
    default: return FileErrorCause::kGeneric;
  }
#else
  switch (code) {
    case 0: return FileErrorCause::kNone;
    case ENOENT: return FileErrorCause::kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return FileErrorCause::kBadPath;
    case EMFILE:
    case ENFILE: return FileErrorCause::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EEXIST:
    case EISDIR: return FileErrorCause::kAccessDenied;
    case EBADF: return FileErrorCause::kInvalidFile;
    case ESPIPE: return FileErrorCause::kBadSeek;
    case EIO: return FileErrorCause::kHardIO;
    case ETXTBSY:
    case EBUSY: return FileErrorCause::kSharingViolation;
    case EDEADLK: return FileErrorCause::kLockViolation;
    case ENOSPC:
    case EDQUOT: return FileErrorCause::kDiskFull;
    default: return FileErrorCause::kGeneric;
  }
#endif
}

}  // namespace qz
