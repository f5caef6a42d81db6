#include "commands.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <type_traits>

#include "code_page.h"
#include "console_text.h"
#include "file_cipher.h"
#include "file_listing.h"
#include "interrupt.h"
#include "messages.h"
#include "progress_bar.h"
#include "replace_transaction.h"

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
  return std::make_unique<ProgressBar>(stderr, BaseName(path));
}

bool Cancelled() { return Interrupted(); }

// The header compares with the name as an encryption here would have stored it.
qz::CipherOptions NameCheckFor(const std::string& path, const RunOptions& options) {
  qz::CipherOptions cipher;
  cipher.expectedName = NameToCodePage936(qz::ImpliedName(path));
  cipher.acceptOtherName = options.ignoreName;
  return cipher;
}

qz::TransactionOptions TransactionFor(const RunOptions& options, std::uint64_t size,
                                      ProgressBar* bar, qz::CipherOptions cipher) {
  qz::TransactionOptions transaction;
  transaction.cipher = std::move(cipher);
  transaction.keepSource = options.keep;
  transaction.replaceExisting = options.force;
#ifndef _WIN32
  // unlink(2) does not fail because someone holds the file open, so a failure here
  // lasts; retrying for the better part of a minute would only look like a hang.
  transaction.deleteRetry.attempts = 3;
  transaction.deleteRetry.pause = std::chrono::milliseconds(100);
#endif
  transaction.cipher.sizeHint = size;
  transaction.cipher.progress = bar;
  transaction.cipher.cancelled = Cancelled;
  return transaction;
}

std::string Quoted(const std::string& cp936) { return "\"" + FromCodePage936(cp936) + "\""; }

// Why a step failed, where the plain step text would not say enough.
template <typename Step>
std::string FailureText(Step step, const std::string& path, const std::string& destination,
                        const std::string& storedName, const std::string& expectedName) {
  if (step == Step::kDestinationExists) {
    return destination + " already exists (--force replaces it)";
  }
  if (step == Step::kCancelled) {
    return "interrupted; " + path + " is as it was and the unfinished output was removed";
  }
  if constexpr (std::is_same_v<Step, qz::DecryptStep>) {
    if (step == qz::DecryptStep::kNameMismatch) {
      return "the name stored inside is " + Quoted(storedName) + ", not " + Quoted(expectedName) +
             ": a wrong password, or a renamed file (--ignore-name takes it all the same; decrypt "
             "then keeps the .qz file)";
    }
  }
  return StepText(step);
}

// One line for the outcome of an encryption or decryption; true when it succeeded.
template <typename Result>
bool Report(const Result& result, const std::string& path, const RunOptions& options,
            const std::string& verb, const std::string& storedName = {},
            const std::string& expectedName = {}) {
  switch (result.outcome) {
    case qz::Outcome::kDone:
      ReportInfo(options, verb + "ed " + path + " -> " + result.destination);
      return true;
    case qz::Outcome::kFailed:
      ReportError("cannot " + verb + " " + path + ": " +
                  FailureText(result.step, path, result.destination, storedName, expectedName));
      return false;
    case qz::Outcome::kSourceNotDeleted:
      ReportError(verb + "ing " + path + ": " +
                  SourceNotDeletedText(result.outputKept, result.destination));
      return false;
    case qz::Outcome::kSourceChanged:
      ReportError(verb + "ing " + path +
                  ": it changed, or was replaced, while it was worked on, so it was kept; " +
                  result.destination + " holds it as it was read");
      return false;
  }
  return false;
}

}  // namespace

void ReportError(const std::string& text) {
  std::fflush(stdout);
  WriteText(stderr, "qzcrypt: " + text + "\n");
  std::fflush(stderr);
}

void ReportInfo(const RunOptions& options, const std::string& line) {
  if (options.quiet) return;
  WriteText(stdout, line + "\n");
  std::fflush(stdout);
}

bool EncryptOne(const std::string& path, const RunOptions& options) {
  const std::uint64_t size = SizeOrZero(path);
  auto bar = MakeBar(options, path, size);
  qz::CipherOptions cipher;
  cipher.headerName = NameToCodePage936(BaseName(path));
  return Report(qz::ReplaceWithEncrypted(path, options.password,
                                         TransactionFor(options, size, bar.get(), cipher)),
                path, options, "encrypt");
}

bool DecryptOne(const std::string& path, const RunOptions& options) {
  const std::uint64_t size = SizeOrZero(path);
  auto bar = MakeBar(options, path, size);
  const qz::CipherOptions cipher = NameCheckFor(path, options);
  const qz::DecryptResult result = qz::ReplaceWithDecrypted(
      path, options.password, TransactionFor(options, size, bar.get(), cipher));
  if (result.outcome == qz::Outcome::kDone && result.sourceKept) {
    ReportInfo(options, "decrypted " + path + " -> " + result.destination + " (" + path +
                            " kept: the name stored inside is " + Quoted(result.name.stored) + ")");
    return true;
  }
  return Report(result, path, options, "decrypt", result.name.stored, *cipher.expectedName);
}

bool CheckOne(const std::string& path, const RunOptions& options) {
  qz::CipherOptions cipher = NameCheckFor(path, options);
  qz::HeaderName name;
  cipher.storedName = &name;
  const qz::DecryptStep step = qz::CheckPassword(path, options.password, cipher);
  if (step == qz::DecryptStep::kOk) {
    ReportInfo(options, path + ": the password opens it" +
                            (name.matches ? "" : " (the name stored inside is " +
                                                     Quoted(name.stored) + ")"));
    return true;
  }
  if (step == qz::DecryptStep::kWrongPassword) {
    ReportError(path + ": wrong password (the password does not open it)");
  } else {
    ReportError("cannot check " + path + ": " +
                FailureText(step, path, std::string(), name.stored, *cipher.expectedName));
  }
  return false;
}

}  // namespace qzcli
