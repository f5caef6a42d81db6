#include "file_session.h"

#include <functional>
#include <utility>

#include "age/strong_file.h"
#include "command_plan.h"
#include "fs/file_names.h"
#include "fs/folder_scan.h"
#include "qz/default_password.h"
#include "qz/file_cipher.h"

namespace qzops {

namespace {

// The verdicts a batch counts as files its password does not open: a wrong ".qz" password
// can also give another plausible name, and an empty entry opens no strong file.
bool PasswordDidNotOpen(qz::DecryptStep step) {
  return step == qz::DecryptStep::kWrongPassword || step == qz::DecryptStep::kNameMismatch ||
         step == qz::DecryptStep::kEmptyPassword;
}

std::string NameOf(const std::string& path) {
  std::string dir, name;
  qz::SplitPath(path, &dir, &name);
  return name;
}

}  // namespace

FileSession::FileSession(FrontEnd& frontEnd, SessionSettings settings)
    : m_frontEnd(frontEnd), m_settings(settings) {}

FileSession::~FileSession() { WipePassword(); }

void FileSession::WipePassword() {
  m_password.qz.Clear();
  m_password.strong.Clear();
  m_password.strongFiles = false;
  m_password.wholeTree = false;
  m_newStrong.Clear();
  m_newStrongAsked = false;
}

bool FileSession::HasBatchPassword() const {
  return m_batch && (m_password.qz.size() >= 2 || m_password.strong.size() >= 2);
}

bool FileSession::AskEncryptionPassword() {
  // Inside a batch the password is asked for until one of two or more bytes is given.
  if (HasBatchPassword()) return true;
  Passwords answer;
  const bool given = m_frontEnd.AskEncryptionPassword(&answer);
  if (given) {
    WipePassword();
    std::swap(m_password, answer);
  }
  return given;
}

bool FileSession::AskDecryptionPassword(PasswordUse use) {
  if (HasBatchPassword()) return true;
  Passwords answer;
  const bool given = m_frontEnd.AskDecryptionPassword(use, &answer);
  if (given) {
    WipePassword();
    answer.strongFiles = false;
    std::swap(m_password, answer);
  }
  return given;
}

bool FileSession::LeftAsLink(const std::string& path) {
  if (!m_settings.leaveLinks || qz::KindOf(path) != qz::EntryKind::kSymlink) return false;
  if (m_batch)
    ++m_linksLeft;  // told once, when the batch ends
  else
    m_frontEnd.Tell(Notice::kLink, path, 0);
  return true;
}

bool FileSession::MayReplace(const std::string& destination) {
  // A batch asks once, for all the files whose output name is taken.
  if (m_batch && m_replaceAsked) return m_replace == Answer::kYes;
  const bool yes = m_frontEnd.Confirm(Question::kReplace, NameOf(destination));
  if (m_batch) {
    m_replaceAsked = true;
    m_replace = yes ? Answer::kYes : Answer::kNo;
  }
  return yes;
}

void FileSession::Run(FileCommand command, const std::string& path) {
  RunOne(command, path);
  if (!m_batch) WipePassword();
}

void FileSession::RunOne(FileCommand command, const std::string& path) {
  switch (command) {
    case FileCommand::kEncrypt: return Encrypt(path);
    case FileCommand::kDecrypt: return Decrypt(path);
    case FileCommand::kUpgrade: return Upgrade(path);
    case FileCommand::kCheck: return Check(path);
  }
}

qz::TransactionOptions FileSession::OptionsFor(FileCommand command, const std::string& path,
                                               bool strongFiles) const {
  qz::TransactionOptions options;
  options.keepSource = m_settings.keepSource;
  options.deleteRetry = m_settings.deleteRetry;
  options.cipher.backend = m_settings.backend;
  options.cipher.cancel = m_settings.cancel;
  options.cipher.workFactor = m_settings.workFactor;
  if (!m_settings.headerName || strongFiles) return options;
  if (command == FileCommand::kEncrypt)
    options.cipher.headerName = m_settings.headerName(path, true);
  else
    options.cipher.expectedName = m_settings.headerName(path, false);
  return options;
}

void FileSession::Encrypt(const std::string& path) {
  if (LeftAsLink(path) || !AskEncryptionPassword()) return;
  const std::uint64_t size = m_frontEnd.SizeHint(path);
  const Answer replacePreset = m_frontEnd.Preset(Question::kReplace);
  const Answer linksPreset = m_frontEnd.Preset(Question::kEncryptOtherLinks);
  bool replace = replacePreset == Answer::kYes || (m_batch && m_replaceAsked && m_replace == Answer::kYes);
  bool acceptLinks = linksPreset == Answer::kYes;
  for (;;) {
    FileReport report;
    report.command = FileCommand::kEncrypt;
    report.path = path;
    report.inBatch = m_batch;
    {
      qz::TransactionOptions options = OptionsFor(FileCommand::kEncrypt, path, m_password.strongFiles);
      options.cipher.progress = m_frontEnd.BeginProgress(path, size);
      options.cipher.sizeHint = size;
      options.replaceExisting = replace;
      options.cipher.refuseOtherLinks = !acceptLinks;
      m_frontEnd.Perform([&] {
        report.encrypt = m_password.strongFiles ? EncryptStrong(m_keys.encryption, path, m_password.strong, options)
                                                : qz::ReplaceWithEncrypted(path, m_password.qz, options);
      });
      report.cipher = options.cipher;
    }
    const qz::EncryptStep step = report.encrypt.step;
    if (step == qz::EncryptStep::kHasOtherLinks && linksPreset == Answer::kAsk && !acceptLinks) {
      if (!m_frontEnd.Confirm(Question::kEncryptOtherLinks, NameOf(path))) return;
      acceptLinks = true;
      continue;
    }
    if (step == qz::EncryptStep::kDestinationExists && !replace && replacePreset == Answer::kAsk) {
      if (!MayReplace(report.encrypt.destination)) return;
      replace = true;
      continue;
    }
    report.cipher.progress = nullptr;
    if (report.Cancelled()) m_cancelled = true;
    m_frontEnd.Finished(report);
    return;
  }
}

void FileSession::Decrypt(const std::string& path) {
  if (LeftAsLink(path)) return;
  const bool strong = qz::HasStrongExtension(path);
  const PasswordUse use = m_batch ? m_batchUse : strong ? PasswordUse::kStrongFiles : PasswordUse::kQzFiles;
  if (!AskDecryptionPassword(use)) return;
  if (strong) {
    // Taken on the worker's side: waiting for a key made ahead must not hold the window up.
    qz::StrongWrapKey ahead;
    bool taken = false;
    return RunDecryption(FileCommand::kDecrypt, path, false, Question::kDecryptOtherLinks,
                         [&](const qz::TransactionOptions& options) {
                           if (m_keys.decryption && !taken)
                             m_keys.decryption->Take(path, m_password.strong, m_settings.cancel, &ahead);
                           taken = true;
                           qz::TransactionOptions withKey = options;
                           withKey.cipher.wrapKeyAhead = &ahead;
                           return qz::ReplaceWithStrongDecrypted(path, m_password.strong, withKey);
                         });
  }
  if (!qz::HasEncryptedExtension(path)) {
    // The engine's own refusal, without a run.
    FileReport report;
    report.command = FileCommand::kDecrypt;
    report.path = path;
    report.inBatch = m_batch;
    report.decryption = true;
    report.decrypt.step = qz::DecryptStep::kNotEncryptedName;
    return m_frontEnd.Finished(report);
  }
  RunDecryption(FileCommand::kDecrypt, path, true, Question::kDecryptOtherLinks,
                [&](const qz::TransactionOptions& options) {
                  return qz::ReplaceWithDecrypted(path, m_password.qz, options);
                });
}

void FileSession::Check(const std::string& path) {
  const bool strong = qz::HasStrongExtension(path);
  const PasswordUse use = m_batch ? m_batchUse : strong ? PasswordUse::kStrongFiles : PasswordUse::kQzFiles;
  if (LeftAsLink(path) || !AskDecryptionPassword(use)) return;
  FileReport report;
  report.command = FileCommand::kCheck;
  report.path = path;
  report.inBatch = m_batch;
  report.fromQz = !strong;
  report.decryption = true;
  qz::TransactionOptions options = OptionsFor(FileCommand::kCheck, path, strong);
  qz::CipherOptions& cipher = options.cipher;
  // A strong file is read and authenticated whole, so a large one shows its progress; a
  // ".qz" file's check reads its header only.
  if (strong) cipher.sizeHint = m_frontEnd.SizeHint(path);
  cipher.progress = m_frontEnd.BeginProgress(path, cipher.sizeHint);
  if (strong) {
    cipher.refuseOtherLinks = m_frontEnd.Preset(Question::kDecryptOtherLinks) != Answer::kYes;
    cipher.workFactorFound = &report.workFactorFound;
  } else {
    cipher.acceptOtherName = m_frontEnd.Preset(Question::kOtherName) == Answer::kYes;
    cipher.storedName = &report.decrypt.name;
  }
  m_frontEnd.Perform([&] {
    report.decrypt.step = strong ? qz::CheckStrongPassword(path, m_password.strong, cipher)
                                 : qz::CheckPassword(path, m_password.qz, cipher);
  });
  report.cipher = cipher;
  report.cipher.progress = nullptr;
  report.cipher.workFactorFound = nullptr;
  report.cipher.storedName = nullptr;
  m_frontEnd.Finished(report);
}

bool FileSession::StrongPasswordIsDefault() const {
  // An empty entry for an upgrade gives the default for the ".qz" file and nothing else.
  return m_password.strong.view() == qz::kDefaultPassword ||
         (m_password.strong.empty() && m_password.qz.view() == qz::kDefaultPassword);
}

bool FileSession::AskNewStrongPassword(const std::string& path) {
  // Asked only for a file the default opens: any other is refused for its password below,
  // as ever, without a question first.
  const qz::TransactionOptions options = OptionsFor(FileCommand::kUpgrade, path, false);
  const qz::DecryptStep step = qz::CheckPassword(path, m_password.qz, options.cipher);
  if (step != qz::DecryptStep::kOk && step != qz::DecryptStep::kNameMismatch) {
    FileReport report;
    report.command = FileCommand::kUpgrade;
    report.path = path;
    report.inBatch = m_batch;
    report.fromQz = true;
    report.decryption = true;
    report.decrypt.step = step;
    report.cipher = options.cipher;
    if (m_batch && PasswordDidNotOpen(step))
      ++m_unopened;
    else
      m_frontEnd.Finished(report);
    return false;
  }
  // A batch asks once; its answer, or the lack of one, holds for the batch's files.
  if (!m_batch || !m_newStrongAsked) {
    m_newStrong.Clear();
    if (!m_frontEnd.AskNewStrongPassword(&m_newStrong) || m_newStrong.view() == qz::kDefaultPassword)
      m_newStrong.Clear();
    m_newStrongAsked = true;
  }
  return !m_newStrong.empty();
}

void FileSession::Upgrade(const std::string& path) {
  // Only a stale command gets here with another file; no password is asked for it.
  if (!qz::HasEncryptedExtension(path)) return m_frontEnd.Tell(Notice::kNotQz, path, 0);
  if (LeftAsLink(path) || !AskDecryptionPassword(PasswordUse::kUpgrade)) return;
  // The same typed password opens the ".qz" file (code page 936) and protects its strong
  // file (UTF-8), unless it is the built-in default, which anyone knows.
  const bool newPassword = StrongPasswordIsDefault();
  if (newPassword && !AskNewStrongPassword(path)) return;
  RunDecryption(FileCommand::kUpgrade, path, true, Question::kUpgradeOtherLinks,
                [&](const qz::TransactionOptions& options) {
                  const qz::Secret& strong = newPassword ? m_newStrong : m_password.strong;
                  StrongKeyPool* pool = m_keys.encryption;
                  const auto takeKey = [&](qz::PreparedStrongKey* key) {
                    return pool && pool->Take(strong, options.cipher.workFactor, options.cipher.cancel, key);
                  };
                  return qz::ReplaceWithUpgraded(path, m_password.qz, strong, takeKey, options);
                });
  if (!m_batch) {
    m_newStrong.Clear();
    m_newStrongAsked = false;
  }
}

template <typename Runner>
void FileSession::RunDecryption(FileCommand command, const std::string& path, bool fromQz,
                                Question linksQuestion, const Runner& run) {
  const std::uint64_t size = m_frontEnd.SizeHint(path);
  const Answer replacePreset = m_frontEnd.Preset(Question::kReplace);
  const Answer namePreset = m_frontEnd.Preset(Question::kOtherName);
  const Answer linksPreset = m_frontEnd.Preset(linksQuestion);
  bool replace = replacePreset == Answer::kYes || (m_batch && m_replaceAsked && m_replace == Answer::kYes);
  bool acceptOtherName = fromQz && namePreset == Answer::kYes;
  bool acceptLinks = linksPreset == Answer::kYes;
  for (;;) {
    FileReport report;
    report.command = command;
    report.path = path;
    report.inBatch = m_batch;
    report.fromQz = fromQz;
    report.decryption = true;
    {
      qz::TransactionOptions options = OptionsFor(command, path, !fromQz);
      options.cipher.progress = m_frontEnd.BeginProgress(path, size);
      options.cipher.sizeHint = size;
      options.replaceExisting = replace;
      options.cipher.acceptOtherName = acceptOtherName;
      options.cipher.refuseOtherLinks = !acceptLinks;
      options.cipher.workFactorFound = &report.workFactorFound;
      m_frontEnd.Perform([&] { report.decrypt = run(options); });
      report.cipher = options.cipher;
    }
    report.cipher.progress = nullptr;
    report.cipher.workFactorFound = nullptr;
    const qz::DecryptResult& result = report.decrypt;
    if (m_batch && PasswordDidNotOpen(result.step)) {
      ++m_unopened;  // told once, after the batch
      return;
    }
    if (result.step == qz::DecryptStep::kHasOtherLinks && linksPreset == Answer::kAsk && !acceptLinks) {
      if (!m_frontEnd.Confirm(linksQuestion, NameOf(path))) return;
      acceptLinks = true;
      continue;
    }
    if (result.step == qz::DecryptStep::kNameMismatch && namePreset == Answer::kAsk) {
      // A renamed file, or a wrong password that happens to give a name: the user judges
      // from the stored name, and the ".qz" stays either way.
      if (!m_frontEnd.Confirm(Question::kOtherName, result.name.stored)) return;
      acceptOtherName = true;
      continue;
    }
    if (result.step == qz::DecryptStep::kDestinationExists && !replace && replacePreset == Answer::kAsk) {
      if (!MayReplace(result.destination)) return;
      replace = true;
      continue;
    }
    report.unconfirmed = result.outcome == qz::Outcome::kDone && result.sourceKept && result.name.matches;
    if (report.Cancelled()) m_cancelled = true;
    m_frontEnd.Finished(report);
    return;
  }
}

void FileSession::RunFiles(const std::vector<std::string>& paths, FileCommand command) {
  RunBatch(paths, command, false);
}

void FileSession::RunBatch(const std::vector<std::string>& paths, FileCommand command, bool keepPassword) {
  // A cancel stops the rest of the session's work, a later batch of it included.
  if (m_cancelled) return;
  // Every batch asks for its own password: none carries over from an earlier operation.
  if (!keepPassword) WipePassword();
  m_batch = true;
  m_batchUse = PasswordUseOf(FileCommand::kDecrypt, false, paths);
  m_replaceAsked = false;
  m_replace = Answer::kAsk;
  m_unopened = 0;
  m_frontEnd.BatchBegan(paths);
  BatchKeyPool keys(&m_keys, command, paths);
  for (std::size_t i = 0; i < paths.size() && !m_cancelled; ++i) {
    m_frontEnd.BatchFileBegan(i);
    RunOne(command, paths[i]);
  }
  // Keys under way when a batch stops early take up to a second more: the window keeps
  // answering meanwhile.
  if (keys.Busy()) m_frontEnd.Perform([&] { keys.End(); });
  keys.End();
  WipePassword();
  m_batch = false;
  m_replaceAsked = false;
  const int unopened = m_unopened;
  m_unopened = 0;
  m_frontEnd.BatchEnded(unopened);
}

bool FileSession::AskPasswordFor(FileCommand command, const std::vector<std::string>& files) {
  if (command == FileCommand::kEncrypt) return AskEncryptionPassword();
  if (command == FileCommand::kUpgrade) return AskDecryptionPassword(PasswordUse::kUpgrade);
  return AskDecryptionPassword(PasswordUseOf(command, false, files));
}

bool FileSession::SearchTrees(const std::vector<std::string>& folders, FileCommand command, PathPlan* trees) {
  const std::function<void(std::size_t)> found = m_frontEnd.BeginSearch(folders.front());
  std::size_t before = 0;  // found in the folders already searched
  TreeOptions options;
  options.wholeTree = true;
  options.cancel = m_settings.cancel;
  if (found) options.found = [&](std::size_t count) { found(before + count); };
  bool cancelled = false;
  m_frontEnd.Perform([&] {
    for (const std::string& folder : folders) {
      PathPlan tree = PlanFolder(command, folder, options);
      cancelled = tree.cancelled;
      if (cancelled) return;
      before += tree.files.size();
      trees->files.insert(trees->files.end(), tree.files.begin(), tree.files.end());
      trees->left.insert(trees->left.end(), tree.left.begin(), tree.left.end());
      trees->refused.insert(trees->refused.end(), tree.refused.begin(), tree.refused.end());
      trees->listed = trees->listed && tree.listed;
      trees->complete = trees->complete && tree.complete;
      trees->otherKindFiles += tree.otherKindFiles;
    }
  });
  return !cancelled;
}

bool FileSession::MayLeaveOtherKind(FileCommand command, const std::string& folder, bool otherKindAsked,
                                    const PathPlan& trees) {
  if (command == FileCommand::kUpgrade || otherKindAsked || trees.otherKindFiles == 0) return true;
  const bool encrypt = command == FileCommand::kEncrypt;
  return m_frontEnd.Confirm(encrypt ? Question::kFolderHasEncrypted : Question::kFolderHasPlain, folder);
}

bool FileSession::ReadsFormsOf(FileCommand command, const std::vector<std::string>& files) {
  if (command != FileCommand::kDecrypt && command != FileCommand::kCheck) return true;
  // A decryption prompt reads the forms its files need: deeper files of the other kind get
  // the password asked again, never the default in its place.
  const PasswordUse use = PasswordUseOf(command, false, files);
  if ((!NeedsQzForm(use) || !m_password.qz.empty()) && (!NeedsStrongForm(use) || !m_password.strong.empty()))
    return true;
  WipePassword();
  return AskDecryptionPassword(use);
}

void FileSession::CountLeft(const PathPlan& plan) {
  m_linksLeft += plan.Links();
  m_othersLeft += plan.Others();
  for (const LeftEntry& entry : plan.left) {
    if (entry.reason != LeftReason::kUnreadable) continue;
    if (m_unreadableFolders++ == 0) m_firstUnreadable = entry.path;
  }
}

bool FileSession::AskForTree(const std::string& folder, FileCommand command, bool otherKindAsked,
                             PathPlan* plan) {
  WipePassword();
  m_batch = true;  // the password is the batch's
  const bool given = AskPasswordFor(command, plan->files);
  if (given && !m_password.wholeTree) return true;
  PathPlan tree;
  if (given && SearchTrees({folder}, command, &tree) && MayLeaveOtherKind(command, folder, otherKindAsked, tree) &&
      ReadsFormsOf(command, tree.files)) {
    *plan = std::move(tree);
    return true;
  }
  WipePassword();
  m_batch = false;
  return false;
}

bool FileSession::RunPicked(PickPlan& plan, FileCommand command) {
  struct Half {
    FileCommand command;
    std::vector<std::string>* files;
  };
  const Half halves[] = {{FileCommand::kEncrypt, &plan.encrypt},
                         {FileCommand::kDecrypt, &plan.decrypt},
                         {FileCommand::kUpgrade, &plan.upgrade}};
  // A folder takes what the command takes in a folder: "解密" its encrypted files only.
  const Half& treeHalf = halves[command == FileCommand::kEncrypt ? 0 : command == FileCommand::kUpgrade ? 2 : 1];
  const Half* first = &treeHalf;
  for (const Half& half : halves) {
    if (half.files->empty()) continue;
    first = &half;
    break;
  }
  // The first prompt offers the folders' trees, so the choice comes before any file changes.
  bool asked = false;
  if (!plan.folders.empty() && m_frontEnd.OfferWholeTree()) {
    WipePassword();
    m_batch = true;
    bool go = AskPasswordFor(first->command, *first->files);
    if (go && m_password.wholeTree) {
      PathPlan trees;
      go = SearchTrees(plan.folders, command, &trees) &&
           MayLeaveOtherKind(command, plan.folders.front(), false, trees) &&
           (first != &treeHalf || ReadsFormsOf(command, trees.files));
      if (go) {
        // A picked folder that cannot be read is told as a tree's sub-folder is.
        trees.left.insert(trees.left.end(), trees.refused.begin(), trees.refused.end());
        CountLeft(trees);
        treeHalf.files->insert(treeHalf.files->end(), trees.files.begin(), trees.files.end());
        plan.folders.clear();
      }
    }
    m_batch = false;
    if (!go) {
      WipePassword();
      return false;
    }
    asked = true;
  }
  if (!plan.folders.empty()) m_frontEnd.Tell(Notice::kFoldersLeft, "", static_cast<int>(plan.folders.size()));
  m_frontEnd.ExpectFiles(static_cast<int>(plan.encrypt.size() + plan.decrypt.size() + plan.upgrade.size()));
  // The half whose password is in goes first, the others in their order.
  if (!first->files->empty()) RunBatch(*first->files, first->command, asked);
  for (const Half& half : halves) {
    if (&half != first && !half.files->empty()) RunBatch(*half.files, half.command, false);
  }
  WipePassword();
  return true;
}

bool FileSession::RunFolder(const std::string& folder, FileCommand command) {
  const bool encrypt = command == FileCommand::kEncrypt;
  qz::FolderScan scan;
  bool otherKindAsked = false;
  // Pre-scan: files of the other kind are left alone, but the user is asked first. An
  // upgrade leaves plain and strong files alone and has nothing to ask.
  if (command != FileCommand::kUpgrade) {
    scan = qz::ScanFolder(folder, "*.*");
    for (const qz::FolderEntry& entry : scan.entries) {
      if (!qz::BatchTakes(!encrypt, entry)) continue;
      if (!m_frontEnd.Confirm(encrypt ? Question::kFolderHasEncrypted : Question::kFolderHasPlain, folder))
        return false;
      otherKindAsked = true;
      break;
    }
    if (scan.opened && !scan.complete) m_frontEnd.Tell(Notice::kScanIncomplete, folder, 0);
  }

  // The names are taken before any file changes, so the batch's own outputs never come up.
  // A path too long for the system is not left out: the engine refuses it with its
  // message, so the user hears of it.
  PathPlan plan = PlanFolder(command, folder);
  const bool tree = plan.subFolders > 0 && m_frontEnd.OfferWholeTree();
  if (tree && !AskForTree(folder, command, otherKindAsked, &plan)) return false;
  CountLeft(plan);
  RunBatch(plan.files, command, tree);
  if (m_cancelled) return true;  // the cancel's message is the only one
  if (plan.listed && !plan.complete) m_frontEnd.Tell(Notice::kScanIncomplete, folder, 0);
  const int unfinished = plan.Left(LeftReason::kUnfinished);
  if (unfinished > 0) m_frontEnd.Tell(Notice::kUnfinishedFiles, folder, unfinished);
  return true;
}

}  // namespace qzops
