#include "folder_expansion.h"

#include <algorithm>

#include "file_listing.h"
#include "file_system.h"
#include "qz_name.h"

namespace qzcli {

bool TakesFolderEntry(Command command, const std::string& name, bool regularFile) {
  if (!regularFile || qz::IsTemporaryName(name)) return false;
  const bool encrypted = qz::HasEncryptedExtension(name);
  return command == Command::kEncrypt ? !encrypted : encrypted;
}

Expansion ExpandPath(Command command, const std::string& path) {
  Expansion result;
  switch (KindOf(path)) {
    case PathKind::kMissing:
      result.error = "no such file or folder";
      return result;
    case PathKind::kOther:
      result.error = "not a regular file or folder";
      return result;
    case PathKind::kRegularFile: {
      const std::string name = BaseName(path);
      if (qz::IsTemporaryName(name)) {
        result.error = "an unfinished output left by an interrupted run; not touched";
      } else if (command == Command::kEncrypt && qz::HasEncryptedExtension(name)) {
        result.error = "already encrypted (the name ends in \".qz\")";
      } else if (command != Command::kEncrypt && !qz::HasEncryptedExtension(name)) {
        result.error = "not an encrypted file (the name does not end in \".qz\")";
      } else {
        result.files.push_back(path);
      }
      return result;
    }
    case PathKind::kDirectory:
      break;
  }
  std::vector<DirectoryEntry> entries;
  if (!ListDirectory(path, &entries)) {
    result.error = "cannot read the folder";
    return result;
  }
  std::vector<std::string> names;
  for (const DirectoryEntry& entry : entries) {
    if (TakesFolderEntry(command, entry.name, entry.regularFile)) names.push_back(entry.name);
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) result.files.push_back(JoinPath(path, name));
  if (result.files.empty()) {
    result.note = command == Command::kEncrypt ? "no files to encrypt" : "no \".qz\" files";
  }
  return result;
}

}  // namespace qzcli
