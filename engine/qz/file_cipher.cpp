#include "qz/file_cipher.h"
#include "qz/header.h"

#include <memory>

#include "crypto/secure_wipe.h"
#include "fs/file_names.h"
#include "fs/file_streams.h"
#include "fs/file_system.h"
#include "qz/qz_open.h"
#include "steps/operation_steps.h"

namespace qz {

namespace {

const CipherBackend& BackendOf(const CipherOptions& options) {
  return options.backend ? *options.backend : DefaultBackend();
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

}  // namespace

EncryptStep EncryptFileData(const std::string& source, const std::string& destination,
                            const Secret& password, const CipherOptions& options) {
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
  TempOutput out;
  const EncryptStep opened = OpenForEncryption(source, destination, options, &in, &out);
  if (opened != EncryptStep::kOk) return opened;

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

DecryptStep OpenAndCheckHeader(const std::string& source, const Secret& password,
                               const CipherOptions& options, OpenedQz* opened,
                               TempOutput* out, const std::string* destination) {
  if (password.size() > kMaxPasswordBytes) return DecryptStep::kPasswordTooLong;
  if (!PathFits(source)) return DecryptStep::kPathTooLong;
  if (destination && (!PathFits(*destination) || !TemporaryPathFits(*destination))) {
    return DecryptStep::kPathTooLong;
  }
  if (!opened->in.Open(source)) return DecryptStep::kOpenSource;
  if (options.refuseOtherLinks && opened->in.snapshot().links > 1) return DecryptStep::kHasOtherLinks;
  if (destination) {
    // An existing read-only file of the plain name is kept, and decryption fails.
    if (IsDirectory(*destination) || IsReadOnlyFile(*destination)) return DecryptStep::kCreateDest;
    if (!out->Create(*destination)) return DecryptStep::kCreateDest;
  }
  const KeyStep keyStep = BackendOf(options).DeriveKey(password, &opened->key);
  if (keyStep != KeyStep::kOk) return KeyFailure<DecryptStep>(keyStep);
  return DecryptStep::kOk;
}

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
  const std::string expected =
      options.expectedName ? *options.expectedName : HeaderNameOf(ImpliedName(source));
  name.matches = StoredNameMatches(name.stored, expected);
  name.confirmed = name.matches && MatchConfirmsPassword(expected);
  const bool accepted = name.matches || options.acceptOtherName;
  if (options.storedName) *options.storedName = std::move(name);
  return accepted ? DecryptStep::kOk : DecryptStep::kNameMismatch;
}

DecryptStep DecryptFileData(const std::string& source, const std::string& destination,
                            const Secret& password, const CipherOptions& options) {
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
  if (!options.overwriteDestination && PathExists(destination)) return DecryptStep::kDestinationExists;

  ProgressScope progress(options.progress, options.sizeHint);
  step = RunBody<DecryptStep>(opened.in, out, *opened.key, false, buffer.get(), bufferBytes,
                              progress, options.cancelled);
  if (step != DecryptStep::kOk) return step;
  return FinishOutput<DecryptStep>(opened.in, out, false, options);
}

DecryptStep CheckPassword(const std::string& source, const Secret& password,
                          const CipherOptions& options) {
  OpenedQz opened;
  const DecryptStep step = OpenAndCheckHeader(source, password, options, &opened, nullptr, nullptr);
  if (step != DecryptStep::kOk) return step;
  return ReadHeader(opened, source, options);
}

}  // namespace qz
