// What a command takes: the files it works on, and the entries it leaves alone with the
// reason why. qzcrypt and the window plan the same way; each only tells it in its words.
#pragma once

#include <string>
#include <vector>

#include "fs/entry_kind.h"
#include "front_end.h"

namespace qzops {

enum class LeftReason {
  kKind,        // not a regular file: a link, pipe, device or the like (see kind)
  kName,        // a named file the command does not take by its name
  kUnfinished,  // a temporary output of another run, which may still be writing it
  kUnreadable,  // a folder that cannot be listed to its end
};

struct LeftEntry {
  std::string path;
  LeftReason reason = LeftReason::kKind;
  qz::EntryKind kind = qz::EntryKind::kMissing;
  bool nameFits = false;  // the command would take its name
};

// One path a user named: a file, or a folder with the files directly inside it.
struct PathPlan {
  bool folder = false;
  bool listed = true;    // a folder's listing could be read at all
  bool complete = true;  // and to its end
  std::vector<std::string> files;  // in the order the system lists them
  std::vector<LeftEntry> left;     // a folder's entries left alone (not sub-folders)
  std::vector<LeftEntry> refused;  // the named path itself, when it cannot be taken

  int Left(LeftReason reason) const;
  int Links() const;   // links whose names the command would take
  int Others() const;  // devices and the like whose names it would take
};

// Whether command takes a file of this name, whatever the file is.
bool TakesName(FileCommand command, const std::string& name);
// A path named for command; a folder stands for the files directly inside it.
PathPlan PlanPath(FileCommand command, const std::string& path);
// The same for a path known to be a folder.
PathPlan PlanFolder(FileCommand command, const std::string& folder);

// Items picked together (a drop, a selection): their files by their names, the encrypted
// ones to decrypt and the others to encrypt; an upgrade takes only ".qz" files. Folders
// are counted, never entered.
struct PickPlan {
  std::vector<std::string> encrypt, decrypt, upgrade;
  int folders = 0;
};
PickPlan PlanPicked(FileCommand command, const std::vector<std::string>& paths);

// What one password must open or protect for command over files (strongFiles: an
// encryption writes ".age" files), and the forms of it that takes.
PasswordUse PasswordUseOf(FileCommand command, bool strongFiles, const std::vector<std::string>& files);
bool NeedsQzForm(PasswordUse use);
bool NeedsStrongForm(PasswordUse use);

}  // namespace qzops
