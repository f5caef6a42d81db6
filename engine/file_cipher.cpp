#include "file_cipher.h"

#include <memory>
#include <new>

#include "file_streams.h"
#include "file_system.h"
#include "qz_name.h"
#include "secure_wipe.h"

namespace qz {

namespace {

// Ends the progress display on every way out.
class ProgressScope {
 public:
  ProgressScope(ProgressSink* sink, std::uint64_t sizeHint)
      : sink_(sink), range_(sink ? ProgressRange(sizeHint) : 0) {
    if (range_ > 0) sink_->Begin(range_);
  }
  ~ProgressScope() {
    if (range_ > 0) sink_->End();
  }
  // bytesDone counts body bytes processed so far; the final block counts as a step
  // even when it is empty.
  void Update(std::uint64_t bytesDone, bool final) {
    if (range_ == 0) return;
    const std::uint64_t steps = bytesDone / kProgressBlockBytes + (final ? 1 : 0);
    if (steps > reported_) {
      sink_->Advance(steps - reported_);
      reported_ = steps;
    }
  }

 private:
  ProgressSink* sink_;
  std::uint64_t range_;
  std::uint64_t reported_ = 0;
};

const CipherBackend& BackendOf(const CipherOptions& options) {
  return options.backend ? *options.backend : DefaultBackend();
}

// The whole path, and on POSIX also its last component: "name.qz" can exceed the
// file system's 255-byte names even where "name" fits.
bool PathFits(const std::string& path) {
  if (PathLength(path) > MaxPathLength()) return false;
  const std::size_t sep = LastSeparator(path);
  const std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
  return PathLength(name) <= MaxNameLength();
}

// A temporary name can be longer than the destination's own name.
bool TemporaryPathFits(const std::string& destination) {
  const std::size_t sep = LastSeparator(destination);
  const std::size_t dirLength = sep == std::string::npos ? 0 : PathLength(destination.substr(0, sep + 1));
  return dirLength + 13 <= MaxPathLength();
}

template <typename Step>
Step KeyFailure(KeyStep step) {
  switch (step) {
    case KeyStep::kAcquireContext: return Step::kAcquireContext;
    case KeyStep::kCreateHash: return Step::kCreateHash;
    case KeyStep::kHashData: return Step::kHashData;
    case KeyStep::kDeriveKey: return Step::kDeriveKey;
    case KeyStep::kOk: break;
  }
  return Step::kOk;
}

// The I/O buffer holds plaintext: wiped before it is freed.
struct WipingDelete {
  std::size_t bytes = 0;
  void operator()(std::uint8_t* data) const {
    SecureWipe(data, bytes);
    delete[] data;
  }
};
using IoBuffer = std::unique_ptr<std::uint8_t[], WipingDelete>;

IoBuffer AllocateBuffer(std::size_t bytes) {
  return IoBuffer(new (std::nothrow) std::uint8_t[bytes], WipingDelete{bytes});
}

// Reads, ciphers and writes the body. The final flag goes with the read that meets
// the end of the source, so a larger buffer than the format's 1000 bytes gives the
// same bytes.
template <typename Step>
Step RunBody(InputFile& in, TempOutput& out, CipherKey& key, bool encrypt, std::uint8_t* buffer,
             std::size_t bufferBytes, ProgressScope& progress, bool (*cancelled)()) {
  std::uint64_t done = 0;
  for (;;) {
    if (cancelled && cancelled()) return Step::kCancelled;
    const std::size_t count = in.Read(buffer, bufferBytes);
    if (in.error()) return Step::kReadBlock;
    const bool final = in.eof();
    const bool ciphered = encrypt ? key.Encrypt(buffer, count, final) : key.Decrypt(buffer, count, final);
    if (!ciphered) return Step::kCryptBlock;
    if (!out.Write(buffer, count)) return Step::kWriteBlock;
    done += count;
    progress.Update(done, final);
    if (final) return Step::kOk;
  }
}

// The output takes the source's times (and bits) and is committed under its name.
template <typename Step>
Step FinishOutput(InputFile& in, TempOutput& out, bool encrypted, const CipherOptions& options) {
  const FileSnapshot read = in.snapshot();
  in.Close();
  if (options.sourceRead) *options.sourceRead = read;
  if (options.cancelled && options.cancelled()) return Step::kCancelled;
  out.TakeOver(read, encrypted);  // a file system without times or modes still gets the data
  if (!out.Finish()) return Step::kWriteBlock;
  switch (out.Commit(options.replaceExisting, encrypted)) {
    case CommitResult::kOk: return Step::kOk;
    case CommitResult::kExists: return Step::kDestinationExists;
    case CommitResult::kFailed: break;
  }
  return Step::kReplaceDest;
}

}  // namespace

EncryptStep EncryptFileData(const std::string& source, const std::string& destination,
                            const std::string& password, const CipherOptions& options) {
  if (password.size() > kMaxPasswordBytes) return EncryptStep::kPasswordTooLong;
  if (!PathFits(source) || !PathFits(destination) || !TemporaryPathFits(destination)) {
    return EncryptStep::kPathTooLong;
  }
  std::string name = options.headerName;
  if (name.empty()) {
    std::string dir, fileName;
    SplitPath(source, &dir, &fileName);
    name = HeaderNameOf(fileName);
  }
  if (!IsStorableName(name)) return EncryptStep::kNameNotStorable;

  InputFile in;
  if (!in.Open(source)) return EncryptStep::kOpenSource;
  if (IsDirectory(destination)) return EncryptStep::kCreateDest;
  if (!options.replaceExisting && PathExists(destination)) return EncryptStep::kDestinationExists;
  TempOutput out;
  if (!out.Create(destination)) return EncryptStep::kCreateDest;

  std::unique_ptr<CipherKey> key;
  const KeyStep keyStep = BackendOf(options).DeriveKey(password, &key);
  if (keyStep != KeyStep::kOk) return KeyFailure<EncryptStep>(keyStep);

  const std::size_t bufferBytes = options.ioBufferBytes ? options.ioBufferBytes : 1000;
  auto buffer = AllocateBuffer(bufferBytes);
  if (!buffer) return EncryptStep::kAllocBuffer;

  std::uint8_t header[kHeaderBytes];
  WipeOnExit<decltype(header)> wipeHeader(header);
  BuildHeader(name, header);
  if (!key->Encrypt(header, kHeaderBytes, true)) return EncryptStep::kCryptHeader;
  if (!out.Write(header, kHeaderBytes)) return EncryptStep::kWriteHeader;

  ProgressScope progress(options.progress, options.sizeHint);
  const EncryptStep body = RunBody<EncryptStep>(in, out, *key, true, buffer.get(), bufferBytes,
                                                progress, options.cancelled);
  if (body != EncryptStep::kOk) return body;
  // An earlier ".qz" of this name, hidden and read-only, may be replaced with consent.
  return FinishOutput<EncryptStep>(in, out, true, options);
}

namespace {

// Opens the source, derives the key and deciphers the header: what decryption and
// the password check share.
struct OpenedQz {
  InputFile in;
  std::unique_ptr<CipherKey> key;
};

DecryptStep OpenAndCheckHeader(const std::string& source, const std::string& password,
                               const CipherOptions& options, OpenedQz* opened,
                               TempOutput* out, const std::string* destination) {
  if (password.size() > kMaxPasswordBytes) return DecryptStep::kPasswordTooLong;
  if (!PathFits(source)) return DecryptStep::kPathTooLong;
  if (destination && (!PathFits(*destination) || !TemporaryPathFits(*destination))) {
    return DecryptStep::kPathTooLong;
  }
  if (!opened->in.Open(source)) return DecryptStep::kOpenSource;
  if (destination) {
    // An existing read-only file of the plain name is kept, and decryption fails.
    if (IsDirectory(*destination) || IsReadOnlyFile(*destination)) return DecryptStep::kCreateDest;
    if (!out->Create(*destination)) return DecryptStep::kCreateDest;
  }
  const KeyStep keyStep = BackendOf(options).DeriveKey(password, &opened->key);
  if (keyStep != KeyStep::kOk) return KeyFailure<DecryptStep>(keyStep);
  return DecryptStep::kOk;
}

// Three verdicts: the file's own name (the password is right), another plausible name
// (a renamed file, or a wrong password that slipped through: never decrypted without
// the caller's consent), or no name at all (a wrong password).
DecryptStep ReadHeader(OpenedQz& opened, const std::string& source, const CipherOptions& options) {
  std::uint8_t header[kHeaderBytes] = {};
  WipeOnExit<decltype(header)> wipeHeader(header);
  const std::size_t got = opened.in.Read(header, kHeaderBytes);
  // Every writer puts a whole header first, so a shorter file is no ".qz" file at all;
  // "decrypting" it would replace its bytes with an empty file.
  if (opened.in.error() || got < kHeaderBytes) return DecryptStep::kReadHeader;
  if (!opened.key->Decrypt(header, got, true)) return DecryptStep::kCryptHeader;
  if (!IsPlausibleHeader(header)) return DecryptStep::kWrongPassword;
  HeaderName name;
  name.stored = StoredName(header);
  name.matches = StoredNameMatches(
      name.stored, options.expectedName ? *options.expectedName : HeaderNameOf(ImpliedName(source)));
  const bool accepted = name.matches || options.acceptOtherName;
  if (options.storedName) *options.storedName = std::move(name);
  return accepted ? DecryptStep::kOk : DecryptStep::kNameMismatch;
}

}  // namespace

DecryptStep DecryptFileData(const std::string& source, const std::string& destination,
                            const std::string& password, const CipherOptions& options) {
  OpenedQz opened;
  TempOutput out;
  DecryptStep step = OpenAndCheckHeader(source, password, options, &opened, &out, &destination);
  if (step != DecryptStep::kOk) return step;

  const std::size_t bufferBytes = options.ioBufferBytes ? options.ioBufferBytes : 1000;
  auto buffer = AllocateBuffer(bufferBytes);
  if (!buffer) return DecryptStep::kAllocBuffer;

  step = ReadHeader(opened, source, options);
  if (step != DecryptStep::kOk) return step;
  // Asked only once the password is known to open the file.
  if (!options.replaceExisting && PathExists(destination)) return DecryptStep::kDestinationExists;

  ProgressScope progress(options.progress, options.sizeHint);
  step = RunBody<DecryptStep>(opened.in, out, *opened.key, false, buffer.get(), bufferBytes,
                              progress, options.cancelled);
  if (step != DecryptStep::kOk) return step;
  return FinishOutput<DecryptStep>(opened.in, out, false, options);
}

DecryptStep CheckPassword(const std::string& source, const std::string& password,
                          const CipherOptions& options) {
  OpenedQz opened;
  const DecryptStep step = OpenAndCheckHeader(source, password, options, &opened, nullptr, nullptr);
  if (step != DecryptStep::kOk) return step;
  return ReadHeader(opened, source, options);
}

}  // namespace qz
