#include "commands.h"

#include <chrono>
#include <cstdio>
#include <memory>

#include "code_page.h"
#include "file_cipher.h"
#include "file_listing.h"
#include "messages.h"
#include "progress_bar.h"
#include "replace_transaction.h"

namespace qzcli {

namespace {

void ReportDone(const RunOptions& options, const std::string& line) {
  if (options.quiet) return;
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

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

qz::TransactionOptions TransactionFor(const RunOptions& options, std::uint64_t size,
                                      ProgressBar* bar) {
  qz::TransactionOptions transaction;
  transaction.keepSource = options.keep;
#ifndef _WIN32
  // unlink(2) does not fail because someone holds the file open, so a failure here
  // lasts; retrying for the better part of a minute would only look like a hang.
  transaction.deleteRetry.attempts = 3;
  transaction.deleteRetry.pause = std::chrono::milliseconds(100);
#endif
  transaction.cipher.sizeHint = size;
  transaction.cipher.progress = bar;
  return transaction;
}

// One line for the outcome of an encryption or decryption; true when it succeeded.
template <typename Result>
bool Report(const Result& result, const std::string& path, const RunOptions& options,
            const std::string& verb) {
  switch (result.outcome) {
    case qz::Outcome::kDone:
      ReportDone(options, verb + "ed " + path + " -> " + result.destination);
      return true;
    case qz::Outcome::kFailed:
      ReportError("cannot " + verb + " " + path + ": " + StepText(result.step));
      return false;
    case qz::Outcome::kSourceNotDeleted:
      ReportError(verb + "ing " + path + ": " +
                  SourceNotDeletedText(result.outputKept, result.destination));
      return false;
    case qz::Outcome::kSourceChanged:
      ReportError(verb + "ing " + path + ": the source changed while it was read; both it and " +
                  result.destination + " were kept");
      return false;
  }
  return false;
}

}  // namespace

void ReportError(const std::string& text) {
  std::fflush(stdout);
  std::fputs(("qzcrypt: " + text + "\n").c_str(), stderr);
  std::fflush(stderr);
}

bool EncryptOne(const std::string& path, const RunOptions& options) {
  std::string headerName;
  if (!ToCodePage936(BaseName(path), &headerName)) {
    ReportError("cannot encrypt " + path +
                ": the file name cannot be written in code page 936 (it holds characters that "
                "code page 936 lacks, or bytes that are not text in this locale's encoding)");
    return false;
  }
  const std::uint64_t size = SizeOrZero(path);
  auto bar = MakeBar(options, path, size);
  qz::TransactionOptions transaction = TransactionFor(options, size, bar.get());
  transaction.cipher.headerName = headerName;

  return Report(qz::ReplaceWithEncrypted(path, options.password, transaction), path, options,
                "encrypt");
}

bool DecryptOne(const std::string& path, const RunOptions& options) {
  const std::uint64_t size = SizeOrZero(path);
  auto bar = MakeBar(options, path, size);
  return Report(
      qz::ReplaceWithDecrypted(path, options.password, TransactionFor(options, size, bar.get())),
      path, options, "decrypt");
}

bool CheckOne(const std::string& path, const RunOptions& options) {
  qz::CipherOptions cipher;
  const qz::DecryptStep step = qz::CheckPassword(path, options.password, cipher);
  if (step == qz::DecryptStep::kOk) {
    ReportDone(options, path + ": the password opens it");
    return true;
  }
  if (step == qz::DecryptStep::kWrongPassword) {
    ReportError(path + ": wrong password (the password does not open it)");
  } else {
    ReportError("cannot check " + path + ": " + StepText(step));
  }
  return false;
}

}  // namespace qzcli
