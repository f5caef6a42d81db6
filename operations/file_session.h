// One command's decisions over the engine's replace transaction: its password (wiped
// when the session ends), the answer to "replace?", a differing stored name, hard links,
// and what a batch counts.
#pragma once

#include <string>
#include <vector>

#include "batch_key_pools.h"
#include "front_end.h"

namespace qzops {

struct PathPlan;
struct PickPlan;

class FileSession {
 public:
  explicit FileSession(FrontEnd& frontEnd, SessionSettings settings = {});
  ~FileSession();
  FileSession(const FileSession&) = delete;
  FileSession& operator=(const FileSession&) = delete;

  // One file: path + ".qz" or ".age" (as the password's answer chose), and back; a ".qz"
  // file into its ".age" counterpart.
  void Encrypt(const std::string& path);
  void Decrypt(const std::string& path);
  void Upgrade(const std::string& path);
  // Whether the password opens an encrypted file; nothing is written.
  void Check(const std::string& path);
  // One file on its own: its password is wiped when it ends.
  void Run(FileCommand command, const std::string& path);

  // Files with one password prompt (asked again until one of two or more bytes is
  // given), one answer to "replace?", and files not opened counted for BatchEnded.
  void RunFiles(const std::vector<std::string>& paths, FileCommand command);
  // The files directly inside folder that command takes (see command_plan.h), or in its
  // whole tree when the front end offers that with the password and the user chooses it;
  // false when the user stopped it before any file changed.
  bool RunFolder(const std::string& folder, FileCommand command);
  // Items picked together, planned by PlanPicked for command: each kind of file a batch
  // with its own password. Its folders join command's batch with their whole trees when
  // the front end offers that with the first password and the user chooses it (their
  // files then stand in plan); otherwise they are left and told (Notice::kFoldersLeft).
  // False when the user stopped it before any file changed.
  bool RunPicked(PickPlan& plan, FileCommand command);

  // Whether the user stopped the session's work: its caller adds no closing message.
  bool Cancelled() const { return m_cancelled; }

  // Keys for new strong files (encryption, upgrade) made ahead by pool, and keys for the
  // strong files a decryption opens (a caller's, for a run of many sessions); a batch
  // without one makes its own.
  void UseKeyPool(StrongKeyPool* pool) { m_keys.encryption = pool; }
  void UseDecryptionKeys(DecryptionKeyPool* pool) { m_keys.decryption = pool; }

  // What the session's batches left alone: links, and devices and the like.
  int LinksLeft() const { return m_linksLeft; }
  int OthersLeft() const { return m_othersLeft; }
  // Sub-folders of a whole tree that could not be listed to their end, and the first.
  int UnreadableFolders() const { return m_unreadableFolders; }
  const std::string& FirstUnreadableFolder() const { return m_firstUnreadable; }

 private:
  void RunOne(FileCommand command, const std::string& path);
  // The settings' options for one engine call on path.
  qz::TransactionOptions OptionsFor(FileCommand command, const std::string& path, bool strongFiles) const;
  bool LeftAsLink(const std::string& path);
  // The batch's files with the password given or not yet asked (keepPassword).
  void RunBatch(const std::vector<std::string>& paths, FileCommand command, bool keepPassword);
  // The password first, offering the whole tree; chosen, the tree's plan replaces *plan.
  // False: the user stopped before any file changed.
  bool AskForTree(const std::string& folder, FileCommand command, bool otherKindAsked, PathPlan* plan);
  // The whole trees of folders as one plan, searched while the progress window shows the
  // count; false when cancelled.
  bool SearchTrees(const std::vector<std::string>& folders, FileCommand command, PathPlan* trees);
  // Whether the user goes on although the trees hold files of the other kind, unless asked.
  bool MayLeaveOtherKind(FileCommand command, const std::string& folder, bool otherKindAsked, const PathPlan& trees);
  // Asks again when a decryption of files needs a form of the password not yet read.
  bool ReadsFormsOf(FileCommand command, const std::vector<std::string>& files);
  // Counts what a plan leaves for the closing report.
  void CountLeft(const PathPlan& plan);
  bool AskPasswordFor(FileCommand command, const std::vector<std::string>& files);
  bool HasBatchPassword() const;
  bool AskEncryptionPassword();
  bool AskDecryptionPassword(PasswordUse use);
  // Whether the password an upgrade would give its strong file is the built-in default.
  bool StrongPasswordIsDefault() const;
  // A strong file's own password for an upgrade whose ".qz" opens with the default; false
  // ends the file (reported when the default does not open it).
  bool AskNewStrongPassword(const std::string& path);
  // Whether an existing output may be replaced; asks at most once in a batch.
  bool MayReplace(const std::string& destination);
  // Whether to work on a file with other names; false ends the file.
  bool MayTakeLinks(Question question, const std::string& path);
  template <typename Runner>
  void RunDecryption(FileCommand command, const std::string& path, bool fromQz, Question linksQuestion,
                     const Runner& run);
  void WipePassword();

  FrontEnd& m_frontEnd;
  const SessionSettings m_settings;
  Passwords m_password;
  qz::Secret m_newStrong;  // UTF-8: a strong file's password in place of the default
  bool m_newStrongAsked = false;
  bool m_batch = false;
  PasswordUse m_batchUse = PasswordUse::kQzFiles;
  Answer m_replace = Answer::kAsk;  // in a batch: once asked, the answer for every file
  bool m_replaceAsked = false;
  int m_unopened = 0;
  int m_linksLeft = 0;
  int m_othersLeft = 0;
  int m_unreadableFolders = 0;
  std::string m_firstUnreadable;
  bool m_cancelled = false;
  KeyPools m_keys;
};

}  // namespace qzops
