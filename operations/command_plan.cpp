#include "command_plan.h"

#include <utility>

#include "fs/file_names.h"
#include "fs/file_system.h"
#include "fs/folder_scan.h"

namespace qzops {

namespace {

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && qz::LastSeparator(path) == path.size() - 1;
}

bool IsLeftKind(qz::EntryKind kind) {
  return kind != qz::EntryKind::kRegularFile && kind != qz::EntryKind::kDirectory &&
         kind != qz::EntryKind::kMissing;
}

std::string NameOf(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && EndsWithSeparator(trimmed)) trimmed.pop_back();
  std::string dir, name;
  qz::SplitPath(trimmed, &dir, &name);
#ifdef _WIN32
  if (dir.empty() && name.size() >= 2 && name[1] == ':') name.erase(0, 2);
#endif
  return name;
}

// One folder's entries into plan; its sub-folders go to pending when the tree is walked.
void ListFolder(FileCommand command, const std::string& folder, bool top, const TreeOptions& options,
                PathPlan* plan, std::vector<std::string>* pending) {
  const qz::FolderScan scan = qz::ScanFolder(folder);
  if (top) {
    plan->listed = scan.opened;
    plan->complete = scan.complete;
    if (!scan.opened || !scan.complete) plan->refused.push_back({folder, LeftReason::kUnreadable});
  } else if (!scan.opened || !scan.complete) {
    // What it did list is still taken.
    plan->left.push_back({folder, LeftReason::kUnreadable, qz::EntryKind::kDirectory, true});
  }
  const bool encrypt = command == FileCommand::kEncrypt;
  for (const qz::FolderEntry& entry : scan.entries) {
    if (qz::StopRequested(options.cancel)) return;
    const std::string path = qz::JoinPath(folder, entry.name);
    // A link that the listing shows as a file or a folder (Wine's Unix links) is known only
    // when the entry itself is looked at; a tree looks at each folder before entering it.
    const bool look = entry.kind == qz::EntryKind::kRegularFile ||
                      (options.wholeTree && entry.kind == qz::EntryKind::kDirectory);
    const qz::EntryKind kind = look ? qz::KindOf(path) : entry.kind;
    // In a tree any link counts: it may stand for a folder that is not entered.
    const bool fits = TakesName(command, entry.name) || (options.wholeTree && kind == qz::EntryKind::kSymlink);
    if (kind == qz::EntryKind::kDirectory) {
      if (top) ++plan->subFolders;
      if (options.wholeTree) pending->push_back(path);
    } else if (kind == qz::EntryKind::kRegularFile && qz::IsTemporaryName(entry.name)) {
      plan->left.push_back({path, LeftReason::kUnfinished, kind, false});
    } else if (kind == qz::EntryKind::kRegularFile && fits) {
      plan->files.push_back(path);
    } else if (IsLeftKind(kind)) {
      plan->left.push_back({path, LeftReason::kKind, kind, fits});
    }
    if (kind == qz::EntryKind::kRegularFile && qz::BatchTakesName(!encrypt, entry.name)) ++plan->otherKindFiles;
  }
}

}  // namespace

int PathPlan::Left(LeftReason reason) const {
  int count = 0;
  for (const LeftEntry& entry : left) count += entry.reason == reason;
  return count;
}

int PathPlan::Links() const {
  int count = 0;
  for (const LeftEntry& entry : left)
    count += entry.reason == LeftReason::kKind && entry.nameFits && entry.kind == qz::EntryKind::kSymlink;
  return count;
}

int PathPlan::Others() const {
  int count = 0;
  for (const LeftEntry& entry : left)
    count += entry.reason == LeftReason::kKind && entry.nameFits && entry.kind != qz::EntryKind::kSymlink;
  return count;
}

bool TakesName(FileCommand command, const std::string& name) {
  switch (command) {
    case FileCommand::kEncrypt: return qz::BatchTakesName(true, name);
    case FileCommand::kDecrypt:
    case FileCommand::kCheck: return qz::BatchTakesName(false, name);
    case FileCommand::kUpgrade: return qz::BatchTakesName(false, name) && !qz::HasStrongExtension(name);
  }
  return false;
}

PathPlan PlanPath(FileCommand command, const std::string& path, const TreeOptions& options) {
  const qz::EntryKind kind = qz::KindOf(path);
  if (kind == qz::EntryKind::kDirectory) return PlanFolder(command, path, options);
  PathPlan plan;
  const std::string name = NameOf(path);
  if (kind != qz::EntryKind::kRegularFile)
    plan.refused.push_back({path, LeftReason::kKind, kind, TakesName(command, name)});
  else if (qz::IsTemporaryName(name))
    plan.refused.push_back({path, LeftReason::kUnfinished, kind, false});
  else if (!TakesName(command, name))
    plan.refused.push_back({path, LeftReason::kName, kind, false});
  else
    plan.files.push_back(path);
  return plan;
}

PathPlan PlanFolder(FileCommand command, const std::string& folder, const TreeOptions& options) {
  PathPlan plan;
  plan.folder = true;
  std::vector<std::string> pending;  // found, not yet listed: depth first, one listing at a time
  ListFolder(command, folder, true, options, &plan, &pending);
  for (;;) {
    if (qz::StopRequested(options.cancel)) {
      plan.cancelled = true;
      plan.files.clear();
      return plan;
    }
    if (options.found) options.found(plan.files.size());
    if (pending.empty()) return plan;
    const std::string next = std::move(pending.back());
    pending.pop_back();
    ListFolder(command, next, false, options, &plan, &pending);
  }
}

PickPlan PlanPicked(FileCommand command, const std::vector<std::string>& paths) {
  PickPlan plan;
  for (const std::string& path : paths) {
    if (qz::IsDirectory(path))
      plan.folders.push_back(path);
    else if (command != FileCommand::kUpgrade)
      (qz::IsEncryptedName(path) ? plan.decrypt : plan.encrypt).push_back(path);
    else if (qz::HasEncryptedExtension(path))
      plan.upgrade.push_back(path);
  }
  return plan;
}

PasswordUse PasswordUseOf(FileCommand command, bool strongFiles, const std::vector<std::string>& files) {
  if (command == FileCommand::kEncrypt) return strongFiles ? PasswordUse::kStrongFiles : PasswordUse::kQzFiles;
  if (command == FileCommand::kUpgrade) return PasswordUse::kUpgrade;
  bool qzFiles = false, strong = false;
  for (const std::string& file : files) (qz::HasStrongExtension(file) ? strong : qzFiles) = true;
  if (qzFiles && strong) return PasswordUse::kBothKinds;
  return strong ? PasswordUse::kStrongFiles : PasswordUse::kQzFiles;
}

bool NeedsQzForm(PasswordUse use) { return use != PasswordUse::kStrongFiles; }

bool NeedsStrongForm(PasswordUse use) { return use != PasswordUse::kQzFiles; }

}  // namespace qzops
