// What a command takes: the files it works on, and the entries it leaves alone with the
// reason why. qzcrypt and the window plan the same way; each only tells it in its words.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "fs/entry_kind.h"
#include "front_end.h"
#include "steps/cancel_token.h"

namespace qzops {

enum class LeftReason {
  kKind,        // not a regular file: a link, pipe, device or the like (see kind)
  kName,        // a named file the command does not take by its name
  kUnfinished,  // a temporary output of another run, which may still be writing it
  kUnreadable,  // a folder that cannot be listed to its end
};

// How far a folder's plan reaches.
struct TreeOptions {
  // Sub-folders too, at any depth. Links are never entered, so a link to a folder (or to
  // its own parent) is one entry left alone.
  bool wholeTree = false;
  // Read between entries; once set, the plan ends with cancelled and no files.
  const qz::CancelToken* cancel = nullptr;
  // Told the count of files found so far, after each folder, on the planning thread.
  std::function<void(std::size_t)> found;
};

struct LeftEntry {
  std::string path;
  LeftReason reason = LeftReason::kKind;
  qz::EntryKind kind = qz::EntryKind::kMissing;
  bool nameFits = false;  // the command would take its name
};

// One path a user named: a file, or a folder with the files directly inside it (or in its
// whole tree).
struct PathPlan {
  bool folder = false;
  bool listed = true;    // a folder's listing could be read at all
  bool complete = true;  // and to its end
  bool cancelled = false;
  int subFolders = 0;      // directly inside the folder
  int otherKindFiles = 0;  // files the opposite command would take (plain or encrypted)
  std::vector<std::string> files;  // in the order the system lists them
  // A folder's entries left alone (not sub-folders), and in a whole tree the sub-folders
  // that cannot be listed to their end (kUnreadable).
  std::vector<LeftEntry> left;
  std::vector<LeftEntry> refused;  // the named path itself, when it cannot be taken

  int Left(LeftReason reason) const;
  int Links() const;   // links whose names the command would take
  int Others() const;  // devices and the like whose names it would take
};

// Whether command takes a file of this name, whatever the file is.
bool TakesName(FileCommand command, const std::string& name);
// A path named for command; a folder stands for the files directly inside it.
PathPlan PlanPath(FileCommand command, const std::string& path, const TreeOptions& options = {});
// The same for a path known to be a folder. A whole tree is walked one folder listing at a
// time: memory holds the plan and the folders still to list.
PathPlan PlanFolder(FileCommand command, const std::string& folder, const TreeOptions& options = {});

// Items picked together (a drop, a selection): their files by their names, the encrypted
// ones to decrypt and the others to encrypt; an upgrade takes only ".qz" files. Folders
// are kept apart: a session may take their trees (FileSession::RunPicked).
struct PickPlan {
  std::vector<std::string> encrypt, decrypt, upgrade;
  std::vector<std::string> folders;
};
PickPlan PlanPicked(FileCommand command, const std::vector<std::string>& paths);

// What one password must open or protect for command over files (strongFiles: an
// encryption writes ".age" files), and the forms of it that takes.
PasswordUse PasswordUseOf(FileCommand command, bool strongFiles, const std::vector<std::string>& files);
bool NeedsQzForm(PasswordUse use);
bool NeedsStrongForm(PasswordUse use);

}  // namespace qzops
