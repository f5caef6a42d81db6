// The one way this program reads a folder: its entries directly inside, what each is,
// and which of them a batch takes. The listing, the window's batches and qzcrypt all
// use it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fs/entry_kind.h"

namespace qz {

struct FolderEntry {
  std::string name;
  EntryKind kind = EntryKind::kMissing;
  std::uint32_t attributes = 0;  // Windows attribute bits as the search gave them; 0 on POSIX
};

struct FolderScan {
  std::vector<FolderEntry> entries;  // in the system's order, without "." and ".."
  bool opened = false;               // the folder could be read at all
  bool complete = false;             // and the enumeration ended without an error
};

// The entries of dir matching pattern (Windows wildcards; POSIX takes every entry).
// What an entry is comes from the entry itself: a symbolic link is never taken for
// what it points to (Windows: entry_kind.h; a link that the listing shows as a file is
// known only to KindOf).
FolderScan ScanFolder(const std::string& dir, const std::string& pattern = "*");

// What the path itself is, without following a final link. On Windows it opens the
// entry, so it also knows a link that the system lists as a plain file.
EntryKind KindOf(const std::string& path);

// Whether a batch takes a folder entry: regular files only, never a temporary output;
// encrypted files (".qz" and ".age") when decrypting, the others when encrypting.
bool BatchTakes(bool encrypt, const FolderEntry& entry);
// The same by name alone, whatever the entry is.
bool BatchTakesName(bool encrypt, const std::string& name);
// A temporary output another run may still be writing: a batch reports it and leaves it.
bool IsUnfinishedOutput(const FolderEntry& entry);

}  // namespace qz
