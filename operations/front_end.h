// What an operation asks of the program that runs it, by role: asking (passwords and
// consent), telling (notices and each file's end) and showing progress. The window answers
// with its dialogs, message boxes and progress window, qzcrypt with its options and its
// terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "crypto/secret.h"
#include "fs/file_system.h"
#include "steps/progress.h"
#include "transactions/replace_transaction.h"

namespace qzops {

// kCheck: whether the password opens an encrypted file; nothing is written.
enum class FileCommand { kEncrypt, kDecrypt, kUpgrade, kCheck };

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
  bool wholeTree = false;    // a folder command takes the folder's whole tree (see OfferWholeTree)
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
  kFoldersLeft,      // count: folders picked with files, left alone
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

  // The output failed because its disk (or the user's quota) was full.
  bool DiskFull() const { return decryption ? decrypt.diskFull : encrypt.diskFull; }
  // The user stopped it: the file is as it was, and a batch ends with it.
  bool Cancelled() const {
    return decryption ? decrypt.step == qz::DecryptStep::kCancelled : encrypt.step == qz::EncryptStep::kCancelled;
  }
};

// What a front end gives every engine call of a session, fixed when the session begins.
struct SessionSettings {
  const qz::CipherBackend* backend = nullptr;  // null: the engine's default
  const qz::CancelToken* cancel = nullptr;     // read between blocks; set, it stops the file
  bool keepSource = false;
  qz::RetryPolicy deleteRetry;
  int workFactor = 18;  // of the strong files written
  // The name a ".qz" header holds for path (code page 936), as an encryption stores it
  // (encrypting) or a decryption expects it; null: the engine's own.
  std::string (*headerName)(const std::string& path, bool encrypting) = nullptr;
  // Whether a link named as a file is left alone before anything is asked (the window);
  // otherwise the engine refuses it when it opens the source.
  bool leaveLinks = true;
};

class Asking {
 public:
  virtual ~Asking() = default;
  // False when the user gave none (the operation ends quietly).
  virtual bool AskEncryptionPassword(Passwords* out) = 0;
  virtual bool AskDecryptionPassword(PasswordUse use, Passwords* out) = 0;
  // The password (UTF-8) for the strong files of an upgrade whose ".qz" password is the
  // built-in default, which anyone knows and so must not pass to a strong file. False:
  // none given, and the upgrade ends quietly.
  virtual bool AskNewStrongPassword(qz::Secret* out) { (void)out; return false; }
  // Whether the next password prompt offers a folder command the folder's whole tree, the
  // choice coming back in Passwords::wholeTree. False: no such choice here, and a folder
  // command takes the files directly inside.
  virtual bool OfferWholeTree() { return false; }
  virtual Answer Preset(Question question) = 0;
  virtual bool Confirm(Question question, const std::string& subject) = 0;
};

class Telling {
 public:
  virtual ~Telling() = default;
  virtual void Tell(Notice notice, const std::string& subject, int count) = 0;
  virtual void Finished(const FileReport& report) = 0;
  // After a list of files run with one password: how many of them it did not open.
  virtual void BatchEnded(int unopened) = 0;
};

class ProgressShow {
 public:
  virtual ~ProgressShow() = default;
  // The size the progress is measured against; 0 when unknown.
  virtual std::uint64_t SizeHint(const std::string& path) = 0;
  // Where one engine call's progress goes (null: nowhere).
  virtual qz::ProgressSink* BeginProgress(const std::string& path, std::uint64_t size) = 0;
  // Runs one engine call and returns when it has ended. The engine calls back only the
  // progress sink and the options' cancel token meanwhile, so work may run on another
  // thread (the window keeps answering); nothing else of the front end is called then.
  virtual void Perform(const std::function<void()>& work) { work(); }
  // A list of files run with one password: all of them before the first, then the index
  // of each as its turn comes. A cancelled file (see FileReport) ends the list.
  virtual void BatchBegan(const std::vector<std::string>& paths) { (void)paths; }
  // The files of all the batches a session runs next (a selection of plain and encrypted
  // files): a cancel counts what was done in them all, against them all.
  virtual void ExpectFiles(int files) { (void)files; }
  virtual void BatchFileBegan(std::size_t index) { (void)index; }
  // A folder's tree is searched next, by a Perform: what is returned (may be empty) is told
  // the count of files found so far, on the thread the work runs on.
  virtual std::function<void(std::size_t)> BeginSearch(const std::string& folder) {
    (void)folder;
    return {};
  }
};

// One object in every role, as both programs have it.
class FrontEnd : public Asking, public Telling, public ProgressShow {};

}  // namespace qzops
