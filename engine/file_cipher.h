// Encrypting a file into its ".qz" counterpart and back. Each operation returns the
// step that failed; the output appears under the destination's name only complete
// and on stable storage, and a failure leaves every existing file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "cipher.h"
#include "progress.h"

namespace qz {

enum class EncryptStep {
  kOk = 0,
  kOpenSource = 1,   // E1
  kCreateDest,       // E2
  kAcquireContext,   // E3
  kCreateHash,       // E4
  kHashData,         // E5
  kDeriveKey,        // E6
  kAllocBuffer,      // E7
  kCryptHeader,      // E8
  kWriteHeader,      // E9
  kReadBlock,        // E10
  kCryptBlock,       // E11
  kWriteBlock,       // E12, also flushing and closing the output
  kReplaceDest,      // the finished output could not be renamed into place
  kPathTooLong,
  kPasswordTooLong,
  kNameNotStorable,  // the header cannot hold this name (control characters)
};

enum class DecryptStep {
  kOk = 0,
  kOpenSource = 1,   // D1
  kCreateDest,       // D2, also a read-only file of the plain name
  kAcquireContext,   // D3
  kCreateHash,       // D4
  kHashData,         // D5
  kDeriveKey,        // D6
  kAllocBuffer,      // D7
  kReadHeader,       // D8, also a file shorter than the header
  kCryptHeader,      // D9
  kReadBlock,        // D10
  kCryptBlock,       // D11
  kWriteBlock,       // D12, also flushing and closing the output
  kWrongPassword,    // the header does not start with a file name
  kReplaceDest,
  kPathTooLong,
  kPasswordTooLong,
  kNotEncryptedName,  // the source's name does not end in ".qz"
};

// Step number for messages: E1..E12 / D1..D12 keep their numbers, added steps follow.
inline int StepNumber(EncryptStep step) { return static_cast<int>(step); }
inline int StepNumber(DecryptStep step) { return static_cast<int>(step); }

inline constexpr std::size_t kHeaderBytes = 256;
inline constexpr std::size_t kMaxPasswordBytes = 259;
inline constexpr char kDefaultPassword[] = "QX31742#MVB";

struct CipherOptions {
  const CipherBackend* backend = nullptr;  // null: DefaultBackend()
  ProgressSink* progress = nullptr;
  // Size used for the progress decision, as measured by the caller beforehand.
  std::uint64_t sizeHint = 0;
  // Name for the header; empty: the source's name. qzcrypt passes it in code page 936.
  std::string headerName;
  std::size_t ioBufferBytes = 256 * 1024;
};

// The header plaintext for a name: its first 256 bytes, a NUL, then zero bytes.
void BuildHeader(const std::string& name, std::uint8_t header[kHeaderBytes]);
// Whether a decrypted header starts with a file name: 1 to 255 bytes of 0x20 and above
// (not 0x7F) and a NUL, or 256 such bytes. Bytes after the NUL are ignored.
bool IsPlausibleHeader(const std::uint8_t header[kHeaderBytes]);
// Whether a name survives the round trip through the header check.
bool IsStorableName(const std::string& name);

EncryptStep EncryptFileData(const std::string& source, const std::string& destination,
                            const std::string& password, const CipherOptions& options = {});
DecryptStep DecryptFileData(const std::string& source, const std::string& destination,
                            const std::string& password, const CipherOptions& options = {});

// Decrypts only the header: kOk when the password opens the file, kWrongPassword when
// it does not. Writes nothing.
DecryptStep CheckPassword(const std::string& source, const std::string& password,
                          const CipherOptions& options = {});

}  // namespace qz
