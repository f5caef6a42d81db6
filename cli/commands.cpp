#include "commands.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <type_traits>

#include "age/strong_file.h"
#include "code_page.h"
#include "console_text.h"
#include "file_listing.h"
#include "file_session.h"
#include "fs/file_names.h"
#include "fs/file_streams.h"
#include "messages.h"
#include "progress_bar.h"
#include "qz/file_cipher.h"
#include "transactions/replace_transaction.h"

namespace qzcli {

namespace {

std::uint64_t SizeOrZero(const std::string& path) {
  std::uint64_t size = 0;
  return FileSize(path, &size) ? size : 0;
}

// The bar exists only where it would be shown, so the engine skips it otherwise.
std::unique_ptr<ProgressBar> MakeBar(const RunOptions& options, const std::string& path,
                                     std::uint64_t size) {
  if (!options.progress || qz::ProgressRange(size) == 0) return nullptr;
  return std::make_unique<ProgressBar>(stderr, Escaped(BaseName(path)));
}

// The name as an encryption here stores it, or as a decryption expects it.
std::string HeaderNameFor(const std::string& path, bool encrypting) {
  return NameToCodePage936(encrypting ? BaseName(path) : qz::ImpliedName(path));
}

qzops::SessionSettings SettingsOf(const RunOptions& options) {
  qzops::SessionSettings settings;
  settings.cancel = options.cancel;
  settings.keepSource = options.keep;
#ifndef _WIN32
  // unlink(2) does not fail because someone holds the file open, so a failure here
  // lasts; retrying for the better part of a minute would only look like a hang.
  settings.deleteRetry.attempts = 3;
  settings.deleteRetry.pause = std::chrono::milliseconds(100);
#endif
  settings.workFactor = options.workFactor;
  settings.headerName = HeaderNameFor;
  // qzcrypt lists no link as a file; one that takes a file's place meanwhile is refused by
  // the engine as it opens the source.
  settings.leaveLinks = false;
  return settings;
}

std::string Quoted(const std::string& cp936) { return "\"" + FromCodePage936(cp936) + "\""; }

// What a report names besides the step: the files, and what a header said.
struct FailureContext {
  explicit FailureContext(const std::string& file) : path(file) {}
  std::string path;
  std::string destination;
  std::string storedName;    // code page 936
  std::string expectedName;  // code page 936
  int workFactorFound = 0;   // 0: the file did not say
  bool diskFull = false;     // the output failed for want of space
  const char* otherNamesKeep = "the plain text";  // what hard links of the source keep
};

// Why a step failed, where the plain step text would not say enough.
template <typename Step>
std::string FailureText(Step step, const FailureContext& context) {
  if (step == Step::kDestinationExists) {
    return context.destination + " already exists (--force replaces it)";
  }
  if (step == Step::kCancelled) {
    if (context.destination.empty()) return "interrupted";
    return "interrupted; " + context.path + " is as it was and the unfinished output was removed";
  }
  if (step == Step::kHasOtherLinks) {
    return std::string("it has other names (hard links), which would still hold ") +
           context.otherNamesKeep + "; --force works on it all the same";
  }
  if (step == Step::kWriteBlock && context.diskFull) return StepText(step, true);
  if constexpr (std::is_same_v<Step, qz::EncryptStep>) {
    if (step == qz::EncryptStep::kWriteHeader && context.diskFull) {
      return StepText(step, true);
    }
  }
  if constexpr (std::is_same_v<Step, qz::DecryptStep>) {
    if (step == qz::DecryptStep::kNameMismatch) {
      return "the name stored inside is " + Quoted(context.storedName) + ", not " +
             Quoted(context.expectedName) +
             ": a wrong password, or a renamed file (--ignore-name takes it all the same and "
             "keeps the .qz file)";
    }
    if (step == qz::DecryptStep::kWorkFactorTooLarge && context.workFactorFound > 0) {
      return "the file asks for work factor " + std::to_string(context.workFactorFound) +
             ", more than " + std::to_string(qz::kMaxStrongWorkFactor);
    }
  }
  return StepText(step);
}

// Where a source went that could not get its name back.
std::string SetAsideText(const std::string& aside) {
  if (aside.empty()) return std::string();
  return "; another file took its name meanwhile, so the source is now " + aside;
}

// How a command's outcome reads: "cannot encrypt", "encrypted", "encrypting".
struct Verb {
  const char* base;
  const char* past;
  const char* progressive;
};
constexpr Verb kEncryptVerb{"encrypt", "encrypted", "encrypting"};
constexpr Verb kDecryptVerb{"decrypt", "decrypted", "decrypting"};
constexpr Verb kUpgradeVerb{"upgrade", "upgraded", "upgrading"};

// One line for the outcome of an operation; true when it succeeded.
template <typename Result>
bool Report(const Result& result, const RunOptions& options, const Verb& verb,
            FailureContext context) {
  const std::string& path = context.path;
  context.destination = result.destination;
  context.diskFull = result.diskFull;
  switch (result.outcome) {
    case qz::Outcome::kDone:
      ReportInfo(options, std::string(verb.past) + " " + path + " -> " + result.destination);
      return true;
    case qz::Outcome::kFailed:
      ReportError(std::string("cannot ") + verb.base + " " + path + ": " +
                  FailureText(result.step, context));
      return false;
    case qz::Outcome::kSourceNotDeleted:
      ReportError(std::string(verb.progressive) + " " + path + ": " +
                  SourceNotDeletedText(result.outputKept, result.destination) +
                  SetAsideText(result.sourceSetAside));
      return false;
    case qz::Outcome::kSourceChanged:
      ReportError(std::string(verb.progressive) + " " + path +
                  ": it changed, or was replaced, while it was worked on, so it was kept; " +
                  result.destination + " holds it as it was read" +
                  SetAsideText(result.sourceSetAside));
      return false;
  }
  return false;
}

// A ".qz" file's outcome when decrypting or upgrading it, with the note that it stayed
// because its header names another file.
bool ReportFromQz(const qz::DecryptResult& result, const RunOptions& options, const Verb& verb,
                  FailureContext context) {
  if (result.outcome == qz::Outcome::kDone && result.sourceKept && result.name.matches) {
    // A wrong password gives a name this short too often: the user decides.
    ReportInfo(options, std::string(verb.past) + " " + context.path + " -> " + result.destination);
    ReportError(context.path + " kept: its name is too short to confirm the password; check " +
                result.destination + " before deleting it");
    return true;
  }
  if (result.outcome == qz::Outcome::kDone && result.sourceKept) {
    ReportInfo(options, std::string(verb.past) + " " + context.path + " -> " +
                            result.destination + " (" + context.path +
                            " kept: the name stored inside is " + Quoted(result.name.stored) +
                            ")");
    return true;
  }
  context.storedName = result.name.stored;
  context.otherNamesKeep = "the .qz";
  return Report(result, options, verb, std::move(context));
}

// What a check found, in the same words for both kinds of file.
bool ReportCheck(qz::DecryptStep step, const RunOptions& options, const FailureContext& context,
                 const std::string& note) {
  if (step == qz::DecryptStep::kOk) {
    ReportInfo(options, context.path + ": the password opens it" + note);
    return true;
  }
  if (step == qz::DecryptStep::kWrongPassword) {
    ReportError(context.path + ": wrong password (the password does not open it)");
  } else {
    ReportError("cannot check " + context.path + ": " + FailureText(step, context));
  }
  return false;
}

}  // namespace

void ReportError(const std::string& text) {
  std::fflush(stdout);
  WriteText(stderr, "qzcrypt: " + Escaped(text) + "\n");
  std::fflush(stderr);
}

void ReportInfo(const RunOptions& options, const std::string& line) {
  if (options.quiet) return;
  WriteText(stdout, Escaped(line) + "\n");
  std::fflush(stdout);
}

namespace {

// qzcrypt's side of an operation: its options answer every question before anything runs
// (--force, --ignore-name), the password was read before, and each file's end is one
// report line.
class TerminalFrontEnd : public qzops::FrontEnd {
 public:
  explicit TerminalFrontEnd(const RunOptions& options) : m_options(options) {}

  // Whether the file run since the last call was done.
  bool TakeSucceeded() {
    const bool succeeded = m_succeeded;
    m_succeeded = false;
    return succeeded;
  }

  bool AskEncryptionPassword(qzops::Passwords* out) override {
    GivePasswords(out);
    out->strongFiles = m_options.strong;
    return true;
  }
  bool AskDecryptionPassword(qzops::PasswordUse, qzops::Passwords* out) override {
    GivePasswords(out);
    return true;
  }
  qzops::Answer Preset(qzops::Question question) override {
    using qzops::Answer;
    using qzops::Question;
    switch (question) {
      case Question::kOtherName: return m_options.ignoreName ? Answer::kYes : Answer::kNo;
      case Question::kFolderHasEncrypted:
      case Question::kFolderHasPlain: return Answer::kYes;  // folders are expanded by name
      default: return m_options.force ? Answer::kYes : Answer::kNo;
    }
  }
  bool Confirm(qzops::Question, const std::string&) override { return false; }
  void Tell(qzops::Notice notice, const std::string& subject, int) override {
    switch (notice) {
      case qzops::Notice::kNotQz:
        ReportError("cannot upgrade " + subject + ": " + StepText(qz::DecryptStep::kNotEncryptedName));
        break;
      default: break;
    }
    m_succeeded = false;
  }
  std::uint64_t SizeHint(const std::string& path) override { return SizeOrZero(path); }
  qz::ProgressSink* BeginProgress(const std::string& path, std::uint64_t size) override {
    // The bar stays until the report is written, as it erases its own line.
    m_bar = MakeBar(m_options, path, size);
    return m_bar.get();
  }
  void Finished(const qzops::FileReport& report) override {
    FailureContext context(report.path);
    switch (report.command) {
      case qzops::FileCommand::kEncrypt:
        m_succeeded = Report(report.encrypt, m_options, kEncryptVerb, std::move(context));
        return;
      case qzops::FileCommand::kDecrypt:
        if (!report.fromQz && report.decrypt.step != qz::DecryptStep::kNotEncryptedName) {
          context.otherNamesKeep = "the .age file";
          context.workFactorFound = report.workFactorFound;
          m_succeeded = Report(report.decrypt, m_options, kDecryptVerb, std::move(context));
          return;
        }
        context.expectedName = report.cipher.expectedName.value_or(std::string());
        m_succeeded = ReportFromQz(report.decrypt, m_options, kDecryptVerb, std::move(context));
        return;
      case qzops::FileCommand::kUpgrade:
        context.expectedName = report.cipher.expectedName.value_or(std::string());
        m_succeeded = ReportFromQz(report.decrypt, m_options, kUpgradeVerb, std::move(context));
        return;
      case qzops::FileCommand::kCheck: m_succeeded = ReportChecked(report, std::move(context)); return;
    }
  }
  void BatchEnded(int) override {}

 private:
  bool ReportChecked(const qzops::FileReport& report, FailureContext context) const {
    const qz::DecryptStep step = report.decrypt.step;
    if (!report.fromQz) {
      context.workFactorFound = report.workFactorFound;
      return ReportCheck(step, m_options, context, std::string());
    }
    const qz::HeaderName& name = report.decrypt.name;
    context.storedName = name.stored;
    context.expectedName = report.cipher.expectedName.value_or(std::string());
    if (step == qz::DecryptStep::kOk && name.matches && !name.confirmed) {
      ReportInfo(m_options, context.path + ": the password may open it (its name is too short to "
                                           "confirm the password)");
      return true;
    }
    return ReportCheck(step, m_options, context,
                       name.matches || step != qz::DecryptStep::kOk
                           ? std::string()
                           : " (the name stored inside is " + Quoted(name.stored) + ")");
  }

  // Copies, for the session to wipe when it is done with them.
  void GivePasswords(qzops::Passwords* out) const {
    out->qz = qz::Secret(m_options.password.data(), m_options.password.size());
    out->strong = qz::Secret(m_options.strongPassword.data(), m_options.strongPassword.size());
  }

  const RunOptions& m_options;
  std::unique_ptr<ProgressBar> m_bar;
  bool m_succeeded = false;
};

}  // namespace

struct TerminalSession::Parts {
  explicit Parts(const RunOptions& options) : frontEnd(options), session(frontEnd, SettingsOf(options)) {}
  TerminalFrontEnd frontEnd;
  qzops::FileSession session;
};

TerminalSession::TerminalSession(qzops::FileCommand command, const RunOptions& options)
    : m_command(command), m_parts(std::make_unique<Parts>(options)) {
  m_parts->session.UseKeyPool(options.keyPool);
  m_parts->session.UseDecryptionKeys(options.decryptionKeys);
}

TerminalSession::~TerminalSession() = default;

bool TerminalSession::Run(const std::string& path) {
  m_parts->session.Run(m_command, path);
  return m_parts->frontEnd.TakeSucceeded();
}

}  // namespace qzcli
