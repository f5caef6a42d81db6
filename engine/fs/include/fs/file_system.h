// The file primitives the engine and its callers share. Paths are byte strings: UTF-8
// on Windows (the wide functions take them, see win_path.h), the locale's bytes on POSIX.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fs/file_error.h"
#include "fs/file_snapshot.h"

namespace qz {

// Lengths in the units the system limits: UTF-16 units on Windows, bytes on POSIX.
std::size_t PathLength(const std::string& path);
// The longest path the engine accepts, without terminator. On Windows it is near the
// system's 32,767 units: longer paths than MAX_PATH take the long-path form.
std::size_t MaxPathLength();
// The longest name of one file (POSIX: 255 bytes; Windows: 255 units).
std::size_t MaxNameLength();

struct SizeProbe {
  bool ok = false;
  std::uint64_t size = 0;
  FileErrorCause cause = FileErrorCause::kNone;
};

// Opens the file for reading without sharing (Windows) and reports its size, or why
// it could not be opened.
SizeProbe ProbeFileSize(const std::string& path);

struct RetryPolicy {
  int attempts = 50;
  std::chrono::milliseconds pause{1000};
};

// Clears the file's attributes and deletes it, retrying after a pause. A file that
// does not exist counts as deleted; nothing is ever reported.
bool DeleteFileWithRetry(const std::string& path, const RetryPolicy& policy = RetryPolicy());

enum class SourceRemoval {
  kRemoved,
  kChanged,     // another file now has the name, or the file changed since it was read
  kNotRemoved,  // it could not be deleted
};
// Deletes the file at path only while it is the file described by read, unchanged and
// read to its end. A file that changed stays under its name, or, when another file
// took that name meanwhile, under the temporary name given in *setAside.
SourceRemoval RemoveIfUnchanged(const std::string& path, const FileSnapshot& read,
                                const RetryPolicy& policy = RetryPolicy(),
                                std::string* setAside = nullptr);

bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
// Read-only attribute on Windows; no write permission bit on POSIX (root ignores
// permissions, so the bits are read rather than access(2)).
bool IsReadOnlyFile(const std::string& path);
#ifdef _WIN32
// Hidden and read-only: the ".qz" marking. POSIX outputs lose their write bits through
// their own handle before the rename instead.
bool MarkHiddenReadOnly(const std::string& path);
#endif
bool ClearAttributes(const std::string& path);

// Temporary outputs: "~qz" + 6 characters + ".tmp", in the destination's folder.
bool IsTemporaryName(const std::string& name);

// Directory part of a path, "." when there is none.
std::string DirectoryOf(const std::string& path);

}  // namespace qz
