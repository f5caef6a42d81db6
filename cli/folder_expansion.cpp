#include "folder_expansion.h"

#include <algorithm>

#include "fs/file_names.h"
#include "fs/file_system.h"

namespace qzcli {

namespace {

// Another run may still be writing it, so it is reported and never touched.
constexpr char kUnfinished[] =
    "an unfinished output of an interrupted run, or of one still going; left as it is";

// Which files a command takes, by name: encrypt those not yet encrypted, decrypt and
// check both kinds, upgrade ".qz" files.
bool Takes(Command command, const std::string& name) {
  switch (command) {
    case Command::kEncrypt: return !qz::IsEncryptedName(name);
    case Command::kUpgrade: return qz::HasEncryptedExtension(name);
    default: return qz::IsEncryptedName(name);
  }
}

// Why a file named on the command line is not taken.
std::string NotTaken(Command command, const std::string& name) {
  if (command == Command::kEncrypt) {
    return std::string("already encrypted (the name ends in \"") +
           (qz::HasEncryptedExtension(name) ? ".qz" : ".age") + "\")";
  }
  if (command == Command::kUpgrade) {
    return qz::HasStrongExtension(name)
               ? "already a strong file (the name ends in \".age\")"
               : "not a .qz file (the name does not end in \".qz\")";
  }
  return "not an encrypted file (the name does not end in \".qz\" or \".age\")";
}

const char* NothingToDo(Command command) {
  switch (command) {
    case Command::kEncrypt: return "no files to encrypt";
    case Command::kUpgrade: return "no \".qz\" files";
    default: return "no \".qz\" or \".age\" files";
  }
}

}  // namespace

Expansion ExpandPath(Command command, const std::string& path) {
  Expansion result;
  const PathKind kind = KindOf(path);
  if (kind == PathKind::kRegularFile) {
    const std::string name = BaseName(path);
    if (qz::IsTemporaryName(name)) {
      result.error = kUnfinished;
    } else if (!Takes(command, name)) {
      result.error = NotTaken(command, name);
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
  for (qz::FolderEntry& entry : entries) {
    const std::string full = JoinPath(path, entry.name);
    // A link that the folder's listing shows as a file (Wine's Unix links) is known
    // only when the entry itself is looked at.
    if (entry.kind == PathKind::kRegularFile) entry.kind = KindOf(full);
    if (qz::BatchTakes(command == Command::kEncrypt, entry) && Takes(command, entry.name)) {
      result.files.push_back(full);
    } else if (qz::IsUnfinishedOutput(entry)) {
      result.skipped.push_back(full + ": " + kUnfinished);
    } else if (entry.kind != PathKind::kRegularFile && entry.kind != PathKind::kDirectory &&
               entry.kind != PathKind::kMissing) {
      // Gone since the listing (kMissing) is nothing to tell.
      result.skipped.push_back(full + ": " + KindRefusal(entry.kind));
    }
  }
  if (result.files.empty()) result.note = NothingToDo(command);
  return result;
}

}  // namespace qzcli
