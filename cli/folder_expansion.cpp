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
  qz::FolderScan scan = qz::ScanFolder(path);
  if (!scan.complete) {
    result.error = "cannot read the folder";
    return result;
  }
  std::vector<qz::FolderEntry>& entries = scan.entries;
  std::sort(entries.begin(), entries.end(),
            [](const qz::FolderEntry& a, const qz::FolderEntry& b) { return a.name < b.name; });
  for (const qz::FolderEntry& entry : entries) {
    const std::string full = JoinPath(path, entry.name);
    if (qz::BatchTakes(command == Command::kEncrypt, entry)) {
      result.files.push_back(full);
    } else if (qz::IsUnfinishedOutput(entry)) {
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
