#include "folder_expansion.h"

#include <algorithm>
#include <utility>

#include "fs/file_names.h"
#include "interrupt.h"

namespace qzcli {

namespace {

// Another run may still be writing it, so it is reported and never touched.
constexpr char kUnfinished[] =
    "an unfinished output of an interrupted run, or of one still going; left as it is";

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

// A sub-folder of a tree: what could be listed of it is taken.
constexpr char kUnreadableFolder[] = "a folder that cannot be read to its end; what it holds beyond is left as it is";

const char* NothingToDo(Command command) {
  switch (command) {
    case Command::kEncrypt: return "no files to encrypt";
    case Command::kUpgrade: return "no \".qz\" files";
    default: return "no \".qz\" or \".age\" files";
  }
}

}  // namespace

qzops::FileCommand OperationOf(Command command) {
  switch (command) {
    case Command::kEncrypt: return qzops::FileCommand::kEncrypt;
    case Command::kUpgrade: return qzops::FileCommand::kUpgrade;
    case Command::kCheck: return qzops::FileCommand::kCheck;
    default: return qzops::FileCommand::kDecrypt;
  }
}

Expansion ExpandPath(Command command, const std::string& path, bool wholeTree) {
  Expansion result;
  qzops::TreeOptions options;
  options.wholeTree = wholeTree;
  options.cancel = &InterruptRequest();  // a long search stops at Ctrl-C too
  qzops::PathPlan plan = qzops::PlanPath(OperationOf(command), path, options);
  if (!plan.refused.empty()) {
    const qzops::LeftEntry& refused = plan.refused.front();
    switch (refused.reason) {
      case qzops::LeftReason::kUnfinished: result.error = kUnfinished; break;
      case qzops::LeftReason::kName: result.error = NotTaken(command, BaseName(path)); break;
      case qzops::LeftReason::kUnreadable: result.error = "cannot read the folder"; break;
      case qzops::LeftReason::kKind: result.error = KindRefusal(refused.kind); break;
    }
    return result;
  }
  if (plan.cancelled) return result;  // the interrupt ends the run
  // In byte order of the paths.
  std::sort(plan.files.begin(), plan.files.end());
  std::sort(plan.left.begin(), plan.left.end(),
            [](const qzops::LeftEntry& a, const qzops::LeftEntry& b) { return a.path < b.path; });
  result.files = std::move(plan.files);
  for (const qzops::LeftEntry& entry : plan.left) {
    // Gone since the listing (kMissing) is nothing to tell.
    result.skipped.push_back(entry.path + ": " +
                             (entry.reason == qzops::LeftReason::kUnfinished   ? kUnfinished
                              : entry.reason == qzops::LeftReason::kUnreadable ? kUnreadableFolder
                                                                               : KindRefusal(entry.kind)));
  }
  if (plan.folder && result.files.empty()) result.note = NothingToDo(command);
  return result;
}

}  // namespace qzcli
