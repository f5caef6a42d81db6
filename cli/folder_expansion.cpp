#include "folder_expansion.h"

#include <algorithm>

#include "file_system.h"
#include "qz_name.h"

namespace qzcli {

namespace {

// Another run may still be writing it, so it is reported and never touched.
constexpr char kUnfinished[] =
    "an unfinished output of an interrupted run, or of one still going; left as it is";

}  // namespace

bool TakesFolderEntry(Command command, const std::string& name, PathKind kind) {
  if (kind != PathKind::kRegularFile || qz::IsTemporaryName(name)) return false;
  const bool encrypted = qz::HasEncryptedExtension(name);
  return command == Command::kEncrypt ? !encrypted : encrypted;
}

Expansion ExpandPath(Command command, const std::string& path) {
  Expansion result;
  const PathKind kind = KindOf(path);
  if (kind == PathKind::kRegularFile) {
    const std::string name = BaseName(path);
    if (qz::IsTemporaryName(name)) {
      result.error = kUnfinished;
    } else if (command == Command::kEncrypt && qz::HasEncryptedExtension(name)) {
      result.error = "already encrypted (the name ends in \".qz\")";
    } else if (command != Command::kEncrypt && !qz::HasEncryptedExtension(name)) {
      result.error = "not an encrypted file (the name does not end in \".qz\")";
    } else {
      result.files.push_back(path);
    }
    return result;
  }
  if (kind != PathKind::kDirectory) {
    result.error = KindRefusal(kind);
    return result;
  }
  std::vector<DirectoryEntry> entries;
  if (!ListDirectory(path, &entries)) {
    result.error = "cannot read the folder";
    return result;
  }
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  for (const DirectoryEntry& entry : entries) {
    const std::string full = JoinPath(path, entry.name);
    if (TakesFolderEntry(command, entry.name, entry.kind)) {
      result.files.push_back(full);
    } else if (entry.kind == PathKind::kRegularFile && qz::IsTemporaryName(entry.name)) {
      result.skipped.push_back(full + ": " + kUnfinished);
    } else if (entry.kind != PathKind::kRegularFile && entry.kind != PathKind::kDirectory &&
               entry.kind != PathKind::kMissing) {
      // Gone since the listing (kMissing) is nothing to tell.
      result.skipped.push_back(full + ": " + KindRefusal(entry.kind));
    }
  }
  if (result.files.empty()) {
    result.note = command == Command::kEncrypt ? "no files to encrypt" : "no \".qz\" files";
  }
  return result;
}

}  // namespace qzcli
