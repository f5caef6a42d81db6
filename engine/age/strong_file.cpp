#include "age/strong_file.h"

#include <utility>

#include "age/age_source.h"
#include "age/strong_stream.h"
#include "crypto/crypto_library.h"
#include "fs/file_streams.h"
#include "fs/file_system.h"
#include "fs/write_behind.h"
#include "steps/operation_steps.h"

namespace qz {

namespace {

EncryptStep SealFailure(SealStatus status) {
  switch (status) {
    case SealStatus::kCryptFailed: return EncryptStep::kCryptBlock;
    case SealStatus::kKeyFailed: return EncryptStep::kDeriveKey;
    case SealStatus::kHeaderWriteFailed: return EncryptStep::kWriteHeader;
    case SealStatus::kWriteFailed:
    case SealStatus::kOk: break;
  }
  return EncryptStep::kWriteBlock;
}

// Opens a strong file up to its payload: the header judged, the password tried.
DecryptStep OpenStrong(const InputFile& in, StrongReader& reader, const Secret& password,
                       const CipherOptions& options) {
  if (!reader.Allocate(in.snapshot().size)) return DecryptStep::kAllocBuffer;
  const DecryptStep step = reader.ReadHeader(options.workFactorFound);
  if (step != DecryptStep::kOk) return step;
  KeyStepScope keyStep(options.progress);
  return reader.Unlock(password, options.wrapKeyAhead);
}

// The encryption with whichever Begin gives the writer its key and header; derivesKey
// when that Begin runs scrypt.
template <typename BeginKey>
EncryptStep EncryptStrong(const CheckedPaths& paths, const CipherOptions& options, bool derivesKey,
                          const BeginKey& begin) {
  if (!ValidStrongWorkFactor(options.workFactor)) return EncryptStep::kDeriveKey;
  if (!CryptoLibraryReady()) return EncryptStep::kAcquireContext;

  InputFile in;
  TempOutput out(options.outputOutOfSpace);
  const EncryptStep opened = OpenForEncryption(paths.source(), paths.destination(), options, &in, &out);
  if (opened != EncryptStep::kOk) return opened;

  StrongWriter writer;
  if (!writer.Allocate(in.snapshot().size)) return EncryptStep::kAllocBuffer;
  KeyStepScope keyStep(derivesKey ? options.progress : nullptr);
  if (!begin(writer)) return EncryptStep::kDeriveKey;
  if (!writer.WriteHeader(out)) return EncryptStep::kWriteHeader;

  ProgressScope progress(options.progress, options.sizeHint);
  std::uint64_t done = 0;
  for (;;) {
    if (StopRequested(options.cancel)) return EncryptStep::kCancelled;
    const std::size_t count = in.Read(writer.space(), writer.spaceLeft());
    if (in.error()) return EncryptStep::kReadBlock;
    const SealStatus status = writer.Added(count);
    if (status != SealStatus::kOk) return SealFailure(status);
    done += count;
    if (in.eof()) break;
    progress.Update(done, false);
    if (writer.keyMade()) keyStep.End();
  }
  const SealStatus status = writer.Finish();
  keyStep.End();
  if (status != SealStatus::kOk) return SealFailure(status);
  progress.Update(done, true);
  // An earlier ".age" of this name, read-only like a ".qz", may be replaced with consent.
  return FinishOutput<EncryptStep>(in, out, true, options);
}

}  // namespace

bool ReadStrongHeader(const std::string& path, StrongHeader* header) {
  const std::optional<CheckedPaths> paths = CheckedPaths::Check(path);
  InputFile in;
  if (!paths || !in.Open(paths->source())) return false;
  AgeSource source(in);
  if (!source.ok()) return false;
  // Far more than a header of one scrypt stanza needs, armored or not.
  std::uint8_t bytes[4096];
  const std::size_t got = source.Read(bytes, sizeof bytes);
  const HeaderParse parse = ParseStrongHeader(bytes, got);
  if (parse.verdict != HeaderVerdict::kOk) return false;
  *header = parse.header;
  return true;
}

EncryptStep EncryptStrongFile(const std::string& source, const std::string& destination,
                              const Secret& password, const CipherOptions& options) {
  if (password.empty()) return EncryptStep::kEmptyPassword;
  const std::optional<CheckedPaths> paths = CheckedPaths::Check(source, destination);
  if (!paths) return EncryptStep::kPathTooLong;
  return EncryptStrongFile(*paths, password, options);
}

EncryptStep EncryptStrongFile(const CheckedPaths& paths, const Secret& password,
                              const CipherOptions& options) {
  if (password.empty()) return EncryptStep::kEmptyPassword;
  return EncryptStrong(paths, options, true,
                       [&](StrongWriter& writer) { return writer.Begin(password, options.workFactor); });
}

EncryptStep EncryptStrongFile(const std::string& source, const std::string& destination,
                              PreparedStrongKey&& prepared, const CipherOptions& options) {
  PreparedStrongKey key(std::move(prepared));
  if (key.ready() && key.logN() != options.workFactor) return EncryptStep::kDeriveKey;
  const std::optional<CheckedPaths> paths = CheckedPaths::Check(source, destination);
  if (!paths) return EncryptStep::kPathTooLong;
  return EncryptStrongFile(*paths, std::move(key), options);
}

EncryptStep EncryptStrongFile(const CheckedPaths& paths, PreparedStrongKey&& prepared,
                              const CipherOptions& options) {
  // Wiped on return, whatever came of it: one salt and file key make one file only.
  const PreparedStrongKey key(std::move(prepared));
  // A key for another work factor than the one asked for is not used.
  if (key.ready() && key.logN() != options.workFactor) return EncryptStep::kDeriveKey;
  return EncryptStrong(paths, options, false, [&](StrongWriter& writer) { return writer.Begin(key); });
}

DecryptStep DecryptStrongFile(const std::string& source, const std::string& destination,
                              const Secret& password, const CipherOptions& options) {
  if (password.empty()) return DecryptStep::kEmptyPassword;
  const std::optional<CheckedPaths> paths = CheckedPaths::Check(source, destination);
  if (!paths) return DecryptStep::kPathTooLong;
  return DecryptStrongFile(*paths, password, options);
}

DecryptStep DecryptStrongFile(const CheckedPaths& paths, const Secret& password,
                              const CipherOptions& options) {
  if (password.empty()) return DecryptStep::kEmptyPassword;
  if (!CryptoLibraryReady()) return DecryptStep::kAcquireContext;
  const std::string& destination = paths.destination();

  InputFile in;
  if (!in.Open(paths.source())) return DecryptStep::kOpenSource;
  if (options.refuseOtherLinks && in.snapshot().links > 1) return DecryptStep::kHasOtherLinks;
  // An existing read-only file of the plain name is kept, and decryption fails.
  if (IsDirectory(destination) || IsReadOnlyFile(destination)) return DecryptStep::kCreateDest;

  // The temporary output appears only once the password has opened the header: scrypt
  // takes seconds, and a kill meanwhile must leave nothing behind.
  StrongReader reader(in);
  DecryptStep step = OpenStrong(in, reader, password, options);
  if (step != DecryptStep::kOk) return step;
  TempOutput out(options.outputOutOfSpace);
  if (!out.Create(destination)) return DecryptStep::kCreateDest;
  // Asked only once the password is known to open the file.
  if (!options.overwriteDestination && PathExists(destination)) return DecryptStep::kDestinationExists;

  ProgressScope progress(options.progress, options.sizeHint);
  {
    // Each batch is written while the next is deciphered.
    WriteBehind behind(out);
    step = reader.Run(
        [&](const std::uint8_t* plain, std::size_t len) {
          progress.Update(reader.fileBytes(), false);
          return behind.Start(plain, len);
        },
        options.cancel);
    const bool written = behind.Wait();
    if (step != DecryptStep::kOk) return step;
    if (!written) return DecryptStep::kWriteBlock;
  }
  progress.Update(reader.fileBytes(), true);
  return FinishOutput<DecryptStep>(in, out, false, options);
}

DecryptStep CheckStrongPassword(const std::string& source, const Secret& password,
                                const CipherOptions& options) {
  if (password.empty()) return DecryptStep::kEmptyPassword;
  const std::optional<CheckedPaths> paths = CheckedPaths::Check(source);
  if (!paths) return DecryptStep::kPathTooLong;
  if (!CryptoLibraryReady()) return DecryptStep::kAcquireContext;
  InputFile in;
  if (!in.Open(paths->source())) return DecryptStep::kOpenSource;
  StrongReader reader(in);
  DecryptStep step = OpenStrong(in, reader, password, options);
  if (step != DecryptStep::kOk) return step;
  ProgressScope progress(options.progress, options.sizeHint);
  step = reader.Run(
      [&](const std::uint8_t*, std::size_t) {
        progress.Update(reader.fileBytes(), false);
        return true;
      },
      options.cancel);
  if (step == DecryptStep::kOk) progress.Update(reader.fileBytes(), true);
  if (options.sourceRead) *options.sourceRead = in.snapshot();
  return step;
}

}  // namespace qz
