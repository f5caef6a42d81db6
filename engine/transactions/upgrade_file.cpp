// A ".qz" file straight into a strong file: the RC4 plaintext exists only in memory,
// in the strong writer's buffer, and the new file counts only once it has been read
// back from stable storage and found to hold exactly what was written.
#include "transactions/upgrade_file.h"

#include "age/strong_file.h"
#include "age/strong_stream.h"
#include "crypto/content_digest.h"
#include "crypto/crypto_library.h"
#include "crypto/secure_wipe.h"
#include "fs/file_system.h"
#include "qz/qz_open.h"
#include "steps/operation_steps.h"

namespace qz {

namespace {

DecryptStep SealFailure(SealStatus status) {
  switch (status) {
    case SealStatus::kCryptFailed: return DecryptStep::kCryptBlock;
    case SealStatus::kKeyFailed: return DecryptStep::kDeriveKey;
    case SealStatus::kWriteFailed:
    case SealStatus::kHeaderWriteFailed:
    case SealStatus::kOk: break;
  }
  return DecryptStep::kWriteBlock;
}

// Writes the ".qz" body's plaintext as a strong file into out; digest gets the
// plaintext, plainBytes its length.
DecryptStep Rewrite(OpenedQz& opened, TempOutput& out, const Secret& password,
                    const PreparedStrongKey* key, const CipherOptions& options,
                    ProgressScope& progress, std::uint8_t digest[kDigestBytes],
                    std::uint64_t* plainBytes) {
  StrongWriter writer;
  if (!writer.Allocate(opened.in.snapshot().size)) return DecryptStep::kAllocBuffer;
  KeyStepScope keyStep(key ? nullptr : options.progress);
  if (!(key ? writer.Begin(*key) : writer.Begin(password, options.workFactor))) return DecryptStep::kDeriveKey;
  if (!writer.WriteHeader(out)) return DecryptStep::kWriteBlock;
  ContentDigest written;
  std::uint64_t done = 0;
  for (;;) {
    if (StopRequested(options.cancel)) return DecryptStep::kCancelled;
    std::uint8_t* plain = writer.space();
    const std::size_t count = opened.in.Read(plain, writer.spaceLeft());
    if (opened.in.error()) return DecryptStep::kReadBlock;
    const bool final = opened.in.eof();
    if (!opened.key->Decrypt(plain, count, final)) return DecryptStep::kCryptBlock;
    written.Update(plain, count);
    const SealStatus status = writer.Added(count);
    if (status != SealStatus::kOk) return SealFailure(status);
    done += count;
    progress.Update(done / 2, false);  // the read-back takes the other half
    if (writer.keyMade()) keyStep.End();
    if (final) break;
  }
  const SealStatus status = writer.Finish();
  keyStep.End();
  if (status != SealStatus::kOk) return SealFailure(status);
  written.Final(digest);
  *plainBytes = done;
  return DecryptStep::kOk;
}

// Reads the finished file back with the strong password alone: every chunk must
// authenticate and the plaintext must be what was written.
DecryptStep ReadBack(const std::string& path, const Secret& password, const StrongWrapKey* wrapKey,
                     const std::uint8_t expected[kDigestBytes], std::uint64_t plainBytes,
                     const CipherOptions& options, ProgressScope& progress) {
  InputFile in;
  if (!in.Open(path)) return DecryptStep::kVerifyFailed;
  StrongReader reader(in);
  if (!reader.Allocate(in.snapshot().size) || reader.ReadHeader(nullptr) != DecryptStep::kOk) {
    return DecryptStep::kVerifyFailed;
  }
  KeyStepScope keyStep(wrapKey ? nullptr : options.progress);
  if (reader.Unlock(password, wrapKey) != DecryptStep::kOk) return DecryptStep::kVerifyFailed;
  keyStep.End();
  ContentDigest digest;
  std::uint64_t verified = 0;
  const DecryptStep step = reader.Run(
      [&](const std::uint8_t* plain, std::size_t len) {
        digest.Update(plain, len);
        verified += len;
        progress.Update((plainBytes + verified) / 2, false);
        return true;
      },
      options.cancel);
  if (step == DecryptStep::kCancelled) return step;
  std::uint8_t got[kDigestBytes];
  WipeOnExit<decltype(got)> wipeGot(got);
  digest.Final(got);
  if (step != DecryptStep::kOk || verified != plainBytes || !SameDigest(got, expected)) {
    return DecryptStep::kVerifyFailed;
  }
  progress.Update(plainBytes, true);
  return DecryptStep::kOk;
}

}  // namespace

DecryptStep UpgradeFileData(const std::string& source, const std::string& destination,
                            const Secret& qzPassword, const Secret& strongPassword,
                            const CipherOptions& options) {
  if (strongPassword.empty()) return DecryptStep::kEmptyPassword;
  const std::optional<CheckedPaths> paths = CheckedPaths::Check(source, destination);
  if (!paths) return DecryptStep::kPathTooLong;
  return UpgradeFileData(*paths, qzPassword, strongPassword, options);
}

DecryptStep UpgradeFileData(const CheckedPaths& paths, const Secret& qzPassword,
                            const Secret& strongPassword, const CipherOptions& options,
                            const StrongKeyTaker& takeKey) {
  if (strongPassword.empty()) return DecryptStep::kEmptyPassword;
  if (!ValidStrongWorkFactor(options.workFactor)) return DecryptStep::kDeriveKey;
  const std::string& source = paths.source();
  const std::string& destination = paths.destination();
  OpenedQz opened;
  DecryptStep step = OpenAndCheckHeader(paths, qzPassword, options, &opened, nullptr);
  if (step != DecryptStep::kOk) return step;
  if (!CryptoLibraryReady()) return DecryptStep::kAcquireContext;
  if (IsDirectory(destination)) return DecryptStep::kCreateDest;
  step = ReadHeader(opened, source, options);
  if (step != DecryptStep::kOk) return step;
  // Asked only once the password is known to open the file.
  if (!options.overwriteDestination && PathExists(destination)) return DecryptStep::kDestinationExists;
  // Wiped on return, whatever came of it: one salt and file key make one file only. A
  // key for another work factor is not used.
  PreparedStrongKey ahead;
  if (takeKey) takeKey(&ahead);
  const PreparedStrongKey* made = ahead.ready() && ahead.logN() == options.workFactor ? &ahead : nullptr;
  TempOutput out(options.outputOutOfSpace);
  if (!out.Create(destination)) return DecryptStep::kCreateDest;

  ProgressScope progress(options.progress, options.sizeHint);
  std::uint8_t digest[kDigestBytes];
  WipeOnExit<decltype(digest)> wipeDigest(digest);
  std::uint64_t plainBytes = 0;
  step = Rewrite(opened, out, strongPassword, made, options, progress, digest, &plainBytes);
  if (step != DecryptStep::kOk) return step;
  step = FinishWriting<DecryptStep>(opened.in, out, true, options);
  if (step != DecryptStep::kOk) return step;
  step = ReadBack(out.temp_path(), strongPassword, made ? &made->wrapKey() : nullptr, digest,
                  plainBytes, options, progress);
  if (step != DecryptStep::kOk) return step;
  return CommitOutput<DecryptStep>(out, true, options);
}

}  // namespace qz
