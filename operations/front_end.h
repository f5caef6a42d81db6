// What an operation asks of the program that runs it: the window answers with its
// dialogs and message boxes, qzcrypt with its options and its terminal.
#pragma once

#include <cstdint>
#include <string>

#include "progress.h"
#include "replace_transaction.h"

namespace qzops {

enum class FileCommand { kEncrypt, kDecrypt, kUpgrade };

// What the password of a decryption must open.
enum class PasswordUse {
  kQzFiles,      // code page 936; an empty entry gives the built-in default
  kStrongFiles,  // UTF-8, any character; never empty
  kBothKinds,    // both forms; an empty entry is the default of the ".qz" files only
  kUpgrade,      // both forms: the ".qz" file's password protects its strong file; never empty
};

// The password in the forms its files take; the session wipes it when it ends.
struct Passwords {
  std::string qz;      // code page 936, for ".qz" files
  std::string strong;  // UTF-8, for ".age" files
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
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // False when the user gave none (the operation ends quietly).
  virtual bool AskEncryptionPassword(Passwords* out) = 0;
  virtual bool AskDecryptionPassword(PasswordUse use, Passwords* out) = 0;
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
  virtual void Finished(const FileReport& report) = 0;
  // After a list of files run with one password: how many it did not open.
  virtual void BatchEnded(int unopened) = 0;
};

}  // namespace qzops
