#include "age/strong_stream.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

#include "crypto/random_bytes.h"
#include "crypto/secure_wipe.h"
#include "fs/signal_free_thread.h"

namespace qz {

namespace {

// Chunks a batch needs for this many bytes: at least one, at most kChunksPerBatch.
std::size_t BatchChunks(std::uint64_t bytes, std::size_t chunkBytes) {
  const std::uint64_t chunks = bytes / chunkBytes + 1;
  return chunks < kChunksPerBatch ? static_cast<std::size_t>(chunks) : kChunksPerBatch;
}

}  // namespace

StrongWriter::~StrongWriter() {
  behind_.reset();
  if (headerThread_.joinable()) headerThread_.join();
}

bool StrongWriter::Allocate(std::uint64_t plainSize) {
  const std::size_t chunks = BatchChunks(plainSize, kChunkBytes);
  plainCapacity_ = chunks * kChunkBytes + 1;
  plain_ = AllocateBuffer(plainCapacity_);
  sealed_[0] = AllocateBuffer(chunks * kSealedChunkBytes);
  sealed_[1] = AllocateBuffer(chunks * kSealedChunkBytes);
  return plain_ && sealed_[0] && sealed_[1];
}

bool StrongWriter::NewFileKey() {
  try {
    fileKey_ = Secret(kFileKeyBytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool StrongWriter::Begin(const Secret& password, int logN) {
  if (!NewFileKey()) return false;
  FillRandom(fileKey_.data(), fileKey_.size());
  FillRandom(nonce_, sizeof nonce_);
  if (!key_.Derive(fileKey_.data(), nonce_)) return false;
  headerLength_ = StrongHeaderLength(logN);
  // The payload key does not depend on the password: scrypt, the slow part, need not
  // hold the payload up.
  auto build = [this, &password, logN] {
    headerBuilt_ = BuildStrongHeader(password, logN, fileKey_.data(), &header_);
    keyMade_.store(true, std::memory_order_release);
  };
  try {
    headerThread_ = SignalFreeThread(build);
  } catch (const std::system_error&) {
    build();
  }
  return true;
}

bool StrongWriter::Begin(const PreparedStrongKey& key) {
  if (!key.ready() || !HeaderFitsFileKey(key.header(), key.logN(), key.fileKey())) return false;
  if (!NewFileKey()) return false;
  std::copy(key.fileKey(), key.fileKey() + kFileKeyBytes, fileKey_.data());
  FillRandom(nonce_, sizeof nonce_);
  if (!key_.Derive(fileKey_.data(), nonce_)) return false;
  headerLength_ = key.header().size();
  header_ = key.header();
  headerBuilt_ = true;
  keyMade_ = true;
  return true;
}

bool StrongWriter::WriteHeader(TempOutput& out) {
  out_ = &out;
  const std::string room(headerLength_, '\0');
  if (!out.Write(reinterpret_cast<const std::uint8_t*>(room.data()), room.size()) ||
      !out.Write(nonce_, sizeof nonce_)) {
    return false;
  }
  behind_.emplace(out);
  return true;
}

SealStatus StrongWriter::SealBatch(std::size_t bytes, bool end) {
  std::uint8_t* sealed = sealed_[current_].get();
  // The last chunk is empty only when the whole plaintext is.
  const std::size_t count = bytes == 0 ? 1 : (bytes + kChunkBytes - 1) / kChunkBytes;
  const std::uint64_t firstChunk = chunks_;
  const bool sealedAll = workers_.Run(count, [&](std::size_t first, std::size_t n) {
    for (std::size_t i = first; i < first + n; ++i) {
      const std::size_t len = std::min(kChunkBytes, bytes - i * kChunkBytes);
      const bool last = end && i + 1 == count;
      if (!key_.Seal(firstChunk + i, plain_.get() + i * kChunkBytes, len, last,
                     sealed + i * kSealedChunkBytes)) {
        return false;
      }
    }
    return true;
  });
  if (!sealedAll) return SealStatus::kCryptFailed;
  chunks_ += count;
  if (!behind_->Start(sealed, bytes + count * kAeadTagBytes)) return SealStatus::kWriteFailed;
  current_ ^= 1;
  return SealStatus::kOk;
}

SealStatus StrongWriter::Added(std::size_t n) {
  pending_ += n;
  if (pending_ < plainCapacity_) return SealStatus::kOk;
  const std::size_t batch = plainCapacity_ - 1;
  const SealStatus status = SealBatch(batch, false);
  plain_[0] = plain_[batch];
  pending_ = 1;
  return status;
}

SealStatus StrongWriter::Finish() {
  SealStatus status = SealBatch(pending_, true);
  pending_ = 0;
  if (status != SealStatus::kOk) return status;
  if (!behind_->Wait()) return SealStatus::kWriteFailed;
  if (headerThread_.joinable()) headerThread_.join();
  if (!headerBuilt_) return SealStatus::kKeyFailed;
  if (header_.size() != headerLength_) return SealStatus::kCryptFailed;
  return out_->WriteAt(0, reinterpret_cast<const std::uint8_t*>(header_.data()), header_.size())
             ? SealStatus::kOk
             : SealStatus::kHeaderWriteFailed;
}

bool StrongReader::Allocate(std::uint64_t fileSize) {
  const std::size_t chunks = BatchChunks(fileSize, kSealedChunkBytes);
  sealedCapacity_ = chunks * kSealedChunkBytes + 1;
  sealed_ = AllocateBuffer(sealedCapacity_);
  plain_[0] = AllocateBuffer(chunks * kChunkBytes);
  plain_[1] = AllocateBuffer(chunks * kChunkBytes);
  return sealed_ && plain_[0] && plain_[1] && source_.ok();
}

DecryptStep StrongReader::Fill() {
  if (!source_.eof() && have_ < sealedCapacity_) {
    have_ += source_.Read(sealed_.get() + have_, sealedCapacity_ - have_);
  }
  if (source_.readError()) return DecryptStep::kReadBlock;
  if (source_.badArmor()) return DecryptStep::kDamaged;
  return DecryptStep::kOk;
}

DecryptStep StrongReader::ReadHeader(int* workFactorFound) {
  const DecryptStep filled = Fill();
  if (filled != DecryptStep::kOk) {
    return filled == DecryptStep::kReadBlock ? DecryptStep::kReadHeader : filled;
  }
  parse_ = ParseStrongHeader(sealed_.get(), have_);
  if (workFactorFound) *workFactorFound = parse_.workFactorFound;
  switch (parse_.verdict) {
    case HeaderVerdict::kOk: break;
    case HeaderVerdict::kIncomplete:
      // Longer than the buffer: only other recipients' stanzas can make a header so long.
      return !source_.eof() && parse_.foreignSoFar ? DecryptStep::kNotPassphraseFile
                                                   : DecryptStep::kDamaged;
    case HeaderVerdict::kDamaged: return DecryptStep::kDamaged;
    case HeaderVerdict::kNotPassphrase: return DecryptStep::kNotPassphraseFile;
    case HeaderVerdict::kWorkFactorTooLarge: return DecryptStep::kWorkFactorTooLarge;
  }
  const std::size_t length = parse_.header.length;
  headerBytes_.assign(reinterpret_cast<const char*>(sealed_.get()), parse_.header.macCovered);
  std::memmove(sealed_.get(), sealed_.get() + length, have_ - length);
  have_ -= length;
  return DecryptStep::kOk;
}

DecryptStep StrongReader::Unlock(const Secret& password, const StrongWrapKey* ahead) {
  std::uint8_t fileKey[kFileKeyBytes];
  WipeOnExit<decltype(fileKey)> wipeKey(fileKey);
  const auto* headerBytes = reinterpret_cast<const std::uint8_t*>(headerBytes_.data());
  const UnwrapResult unwrapped = ahead && ahead->Fits(parse_.header)
                                     ? UnwrapFileKey(*ahead, headerBytes, parse_.header, fileKey)
                                     : UnwrapFileKey(password, headerBytes, parse_.header, fileKey);
  switch (unwrapped) {
    case UnwrapResult::kOk: break;
    case UnwrapResult::kWrongPassword: return DecryptStep::kWrongPassword;
    case UnwrapResult::kDamaged: return DecryptStep::kDamaged;
    case UnwrapResult::kKdfFailed: return DecryptStep::kDeriveKey;
  }
  // The buffer holds at least a chunk, far more than a header and the nonce, unless the
  // file ends.
  if (have_ < kPayloadNonceBytes) return DecryptStep::kDamaged;
  if (!key_.Derive(fileKey, sealed_.get())) return DecryptStep::kCryptBlock;
  have_ -= kPayloadNonceBytes;
  std::memmove(sealed_.get(), sealed_.get() + kPayloadNonceBytes, have_);
  return DecryptStep::kOk;
}

DecryptStep StrongReader::OpenBatch(std::size_t bytes, bool end, std::size_t* plainBytes) {
  // A stream that stops at a chunk boundary has lost its last chunk.
  if (bytes == 0) return DecryptStep::kDamaged;
  const std::size_t count = (bytes + kSealedChunkBytes - 1) / kSealedChunkBytes;
  const std::size_t lastLen = bytes - (count - 1) * kSealedChunkBytes;
  if (lastLen < kAeadTagBytes) return DecryptStep::kDamaged;
  // An empty last chunk stands only for an empty plaintext.
  if (end && lastLen == kAeadTagBytes && chunks_ + count > 1) return DecryptStep::kDamaged;
  std::uint8_t* out = plain_[current_].get();
  const std::uint64_t firstChunk = chunks_;
  const bool openedAll = workers_.Run(count, [&](std::size_t first, std::size_t n) {
    for (std::size_t i = first; i < first + n; ++i) {
      const std::size_t len = std::min(kSealedChunkBytes, bytes - i * kSealedChunkBytes);
      const bool last = end && i + 1 == count;
      if (!key_.Open(firstChunk + i, sealed_.get() + i * kSealedChunkBytes, len, last,
                     out + i * kChunkBytes)) {
        return false;
      }
    }
    return true;
  });
  if (!openedAll) return DecryptStep::kDamaged;
  chunks_ += count;
  *plainBytes = bytes - count * kAeadTagBytes;
  return DecryptStep::kOk;
}

DecryptStep StrongReader::Run(const Sink& sink, const CancelToken* cancel) {
  for (;;) {
    if (StopRequested(cancel)) return DecryptStep::kCancelled;
    DecryptStep step = Fill();
    if (step != DecryptStep::kOk) return step;
    // Short of the end, the buffer holds a whole batch and the first byte after it.
    const bool end = source_.eof();
    const std::size_t bytes = end ? have_ : sealedCapacity_ - 1;
    std::size_t plainBytes = 0;
    step = OpenBatch(bytes, end, &plainBytes);
    if (step != DecryptStep::kOk) return step;
    if (!sink(plain_[current_].get(), plainBytes)) return DecryptStep::kWriteBlock;
    current_ ^= 1;
    if (end) return DecryptStep::kOk;
    have_ -= bytes;
    std::memmove(sealed_.get(), sealed_.get() + bytes, have_);
  }
}

}  // namespace qz
