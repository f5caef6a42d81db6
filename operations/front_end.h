// What an operation asks of the program that runs it: the window answers with its
// dialogs and message boxes, qzcrypt with its options and its terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "crypto/secret.h"
#include "steps/progress.h"
#include "transactions/replace_transaction.h"

namespace qzops {

enum class FileCommand { kEncrypt, kDecrypt, kUpgrade };

// What the password of a decryption must open.
enum class PasswordUse {
  kQzFiles,      // code page 936; an empty entry gives the built-in default
  kStrongFiles,  // UTF-8, any character; never empty
  kBothKinds,    // both forms; an empty entry is the default of the ".qz" files only
  kUpgrade,      // both forms; an empty entry is the ".qz" default and leaves the strong form empty
};

// The password in the forms its files take; the session wipes it when it ends.
struct Passwords {
  qz::Secret qz;      // code page 936, for ".qz" files
  qz::Secret strong;  // UTF-8, for ".age" files
  bool strongFiles = false;  // an encryption writes ".age" files
};

// The questions an operation may put.
enum class Question {
  kReplace,            // subject: the output's name
  kOtherName,          // subject: the name stored in the header, code page 936
  kEncryptOtherLinks,  // subject: the source's name; it has other names (hard links)
  kDecryptOtherLinks,
  kUpgradeOtherLinks,
  kFolderHasEncrypted,  // an encryption batch's folder holds encrypted files
  kFolderHasPlain,      // a decryption batch's folder holds plain files
};

// How a question is answered before anyone is asked.
enum class Answer { kAsk, kYes, kNo };

// What an operation tells without asking.
enum class Notice {
  kLink,             // subject: the path of a link, which is never worked on
  kNotQz,            // subject: a path an upgrade cannot take
  kScanIncomplete,   // a folder's listing ended early
  kUnfinishedFiles,  // count: temporary outputs of another run, left alone
};

// One file's end, for the front end to report.
struct FileReport {
  FileCommand command = FileCommand::kEncrypt;
  std::string path;
  bool inBatch = false;
  bool fromQz = false;  // a ".qz" source (decrypt or upgrade)
  bool decryption = false;
  qz::EncryptResult encrypt;  // with !decryption
  qz::DecryptResult decrypt;  // with decryption
  // The options the last run had (expected name, work factor found).
  qz::CipherOptions cipher;
  int workFactorFound = 0;
  // Done, but by a name too short to tell a wrong password: the ".qz" stayed.
  bool unconfirmed = false;

  // The user stopped it: the file is as it was, and a batch ends with it.
  bool Cancelled() const {
    return decryption ? decrypt.step == qz::DecryptStep::kCancelled : encrypt.step == qz::EncryptStep::kCancelled;
  }
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // False when the user gave none (the operation ends quietly).
  virtual bool AskEncryptionPassword(Passwords* out) = 0;
  virtual bool AskDecryptionPassword(PasswordUse use, Passwords* out) = 0;
  // The password (UTF-8) for the strong files of an upgrade whose ".qz" password is the
  // built-in default, which anyone knows and so must not pass to a strong file. False:
  // none given, and the upgrade ends quietly.
  virtual bool AskNewStrongPassword(qz::Secret* out) { (void)out; return false; }
  virtual Answer Preset(Question question) = 0;
  // Whether a link named as a file is left alone before anything is asked (the window);
  // otherwise the engine refuses it when it opens the source.
  virtual bool LeavesLinks() const { return true; }
  virtual bool Confirm(Question question, const std::string& subject) = 0;
  virtual void Tell(Notice notice, const std::string& subject, int count) = 0;
  // The size the progress is measured against; 0 when unknown.
  virtual std::uint64_t SizeHint(const std::string& path) = 0;
  // Where a run's progress goes (null: nowhere); EndProgress after every run.
  virtual qz::ProgressSink* BeginProgress(const std::string& path, std::uint64_t size) = 0;
  virtual void EndProgress() = 0;
  // The options of the front end for this file (back end, retries, header names).
  virtual void Configure(FileCommand command, const std::string& path, qz::TransactionOptions* options) = 0;
  // Runs one engine call and returns when it has ended. The engine calls back only the
  // progress sink and the options' cancelled poll meanwhile, so work may run on another
  // thread (the window keeps answering); nothing else of the front end is called then.
  virtual void Perform(const std::function<void()>& work) { work(); }
  virtual void Finished(const FileReport& report) = 0;
  // A list of files run with one password: all of them before the first, then the index
  // of each as its turn comes. A cancelled file (see FileReport) ends the list.
  virtual void BatchBegan(const std::vector<std::string>& paths) { (void)paths; }
  virtual void BatchFileBegan(std::size_t index) { (void)index; }
  // After the list: how many files its password did not open.
  virtual void BatchEnded(int unopened) = 0;
};

}  // namespace qzops
