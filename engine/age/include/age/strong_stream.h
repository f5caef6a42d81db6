// Streaming the payload of a strong file. The writer seals the plaintext it is handed
// in batches of whole chunks; the reader authenticates every chunk before it hands the
// plaintext on, and accepts the stream only when it ends with a valid last chunk.
// Internal to the engine.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "age/age_header.h"
#include "age/age_payload.h"
#include "age/age_source.h"
#include "age/chunk_workers.h"
#include "age/prepared_strong_key.h"
#include "crypto/secret.h"
#include "fs/file_streams.h"
#include "fs/write_behind.h"
#include "steps/cipher_options.h"
#include "steps/cipher_steps.h"
#include "steps/operation_steps.h"

namespace qz {

// Chunks per read and per write: up to 2 MiB of plaintext, fewer for a smaller file.
inline constexpr std::size_t kChunksPerBatch = 32;

enum class SealStatus {
  kOk,
  kCryptFailed,
  kWriteFailed,
  kKeyFailed,          // scrypt failed (memory): no header
  kHeaderWriteFailed,
};

class StrongWriter {
 public:
  StrongWriter() = default;
  ~StrongWriter();
  StrongWriter(const StrongWriter&) = delete;
  StrongWriter& operator=(const StrongWriter&) = delete;

  // Buffers for a plaintext of about plainSize bytes (any size works); false when the
  // memory is not there.
  bool Allocate(std::uint64_t plainSize);
  // A fresh file key and nonce. The header's scrypt runs on a thread of its own while
  // the payload is sealed; password must outlive the writer.
  bool Begin(const Secret& password, int logN);
  // The same with a key made beforehand: its file key and header, no scrypt here. False
  // when the header is not the key's own.
  bool Begin(const PreparedStrongKey& key);
  // Room for the header, and the nonce: Finish fills the header in.
  bool WriteHeader(TempOutput& out);
  // Where the next plaintext goes, and how much fits there.
  std::uint8_t* space() const { return plain_.get() + pending_; }
  std::size_t spaceLeft() const { return plainCapacity_ - pending_; }
  // n bytes were put at space(); a full batch is sealed and handed to the output.
  SealStatus Added(std::size_t n);
  // Seals what is left, the last chunk among it, waits for the writes and for scrypt,
  // and writes the header.
  SealStatus Finish();
  // Whether the header's scrypt has ended, well or not.
  bool keyMade() const { return keyMade_.load(std::memory_order_acquire); }

 private:
  // A guarded block for the file key; false when there is none.
  bool NewFileKey();
  SealStatus SealBatch(std::size_t bytes, bool end);

  TempOutput* out_ = nullptr;
  Secret fileKey_;
  std::uint8_t nonce_[kPayloadNonceBytes] = {};
  PayloadKey key_;
  std::uint64_t chunks_ = 0;  // sealed so far
  ChunkWorkers workers_;
  std::thread headerThread_;
  bool headerBuilt_ = false;
  std::atomic<bool> keyMade_{false};
  std::string header_;
  std::size_t headerLength_ = 0;
  IoBuffer plain_;
  // Two, so that one is written while the next is sealed.
  IoBuffer sealed_[2];
  int current_ = 0;
  // One byte more than a batch: a full batch is sealed only once more data follows,
  // so the last chunk is never sealed as an inner one.
  std::size_t plainCapacity_ = 0;
  std::size_t pending_ = 0;
  // Last: it goes first, waiting for the write in flight from the buffers above.
  std::optional<WriteBehind> behind_;
};

class StrongReader {
 public:
  explicit StrongReader(InputFile& in) : source_(in) {}
  // Buffers for a file of about fileSize bytes (any size works); false when the memory
  // is not there.
  bool Allocate(std::uint64_t fileSize);
  // Reads and judges the header: kReadHeader, kDamaged, kNotPassphraseFile,
  // kWorkFactorTooLarge (nothing else taken yet). workFactorFound, when given, gets the
  // stanza's work factor.
  DecryptStep ReadHeader(int* workFactorFound);
  // kWrongPassword when the password does not open the stanza, kDamaged when the
  // header's MAC does not check out, kDeriveKey when scrypt fails (memory). ahead, a
  // key derived for this header's salt and work factor, spares the scrypt; one for
  // another header is not used.
  DecryptStep Unlock(const Secret& password, const StrongWrapKey* ahead = nullptr);
  // Each authenticated batch of plaintext goes to sink, which returns false when it
  // cannot take it (kWriteBlock). Batches alternate between two buffers, so a batch's
  // bytes stay as they are until the sink's next call returns. kOk only after a valid
  // last chunk and nothing behind it.
  using Sink = std::function<bool(const std::uint8_t* plain, std::size_t len)>;
  DecryptStep Run(const Sink& sink, const CancelToken* cancel);
  // Bytes of the file read so far.
  std::uint64_t fileBytes() const { return source_.fileBytes(); }

 private:
  // Tops the buffer up from the file; false on a read error or broken armor.
  DecryptStep Fill();
  DecryptStep OpenBatch(std::size_t bytes, bool end, std::size_t* plainBytes);

  AgeSource source_;
  HeaderParse parse_;
  std::string headerBytes_;
  PayloadKey key_;
  std::uint64_t chunks_ = 0;  // opened so far
  ChunkWorkers workers_;
  IoBuffer sealed_;
  IoBuffer plain_[2];
  int current_ = 0;
  // A batch of sealed chunks and the first byte after it.
  std::size_t sealedCapacity_ = 0;
  std::size_t have_ = 0;
};

}  // namespace qz
