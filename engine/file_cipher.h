// Encrypting a file into its ".qz" counterpart and back. Each operation returns the
// step that failed; the output appears under the destination's name only complete
// and on stable storage, and a failure leaves every existing file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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
  kDestinationExists,  // a file of the output's name exists and may not be replaced
  kCancelled,          // the caller asked to stop; nothing was written
  kEmptyPassword,      // a strong file needs a password: there is no default for it
  kHasOtherLinks,      // other names (hard links) of the source would keep the plain text
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
  kNameMismatch,      // the header holds a plausible name, but not this file's own
  kDestinationExists,
  kCancelled,
  // Strong (".age") files.
  kEmptyPassword,       // no password given: a strong file has no default
  kDamaged,             // not a well-formed file, or changed: a check failed
  kWorkFactorTooLarge,  // the file asks for more than kMaxStrongWorkFactor
  kNotPassphraseFile,   // an age file encrypted to other recipients, not to a password
  kVerifyFailed,        // an upgraded file did not read back as what was written
  kHasOtherLinks,       // other names (hard links) of the source would keep it as it is
};

// Step number for messages: E1..E12 / D1..D12 keep their numbers, added steps follow.
inline int StepNumber(EncryptStep step) { return static_cast<int>(step); }
inline int StepNumber(DecryptStep step) { return static_cast<int>(step); }

inline constexpr std::size_t kHeaderBytes = 256;
inline constexpr std::size_t kMaxPasswordBytes = 259;
inline constexpr char kDefaultPassword[] = "QX31742#MVB";

// What a file looked like when it was opened for reading: enough to tell later whether
// the file under its name is still the one that was read, unchanged.
struct FileSnapshot {
  bool valid = false;
  std::uint64_t device = 0;     // POSIX st_dev; Windows volume serial number
  std::uint64_t fileId = 0;     // POSIX st_ino; Windows file index
  std::uint64_t size = 0;
  std::int64_t modified = 0;    // POSIX ns since the epoch; Windows FILETIME
  std::uint32_t mode = 0;       // POSIX permission bits; Windows attributes
  std::uint64_t bytesRead = 0;  // how much of it the operation read
  std::uint32_t links = 1;      // names the file has (hard links)
  std::uint32_t owner = 0;      // POSIX st_uid and st_gid; 0 on Windows
  std::uint32_t group = 0;
};

// The name a decrypted header holds, and whether it is the name the file implies.
struct HeaderName {
  std::string stored;  // code page 936 bytes, without terminator
  bool matches = false;
  // The match also confirms the password: the name compared is long enough that a
  // wrong password gives it by chance at most once in a million tries.
  bool confirmed = false;
};

struct CipherOptions {
  const CipherBackend* backend = nullptr;  // null: DefaultBackend()
  ProgressSink* progress = nullptr;
  // Size used for the progress decision, as measured by the caller beforehand.
  std::uint64_t sizeHint = 0;
  // Name for the header, in code page 936; empty: HeaderNameOf the source's name.
  std::string headerName;
  std::size_t ioBufferBytes = 256 * 1024;
  // Decryption: the name the header must hold (code page 936); unset: HeaderNameOf the
  // source's own name without ".qz". A differing plausible name gives kNameMismatch unless
  // acceptOtherName is set.
  std::optional<std::string> expectedName;
  bool acceptOtherName = false;
  // A source with other names (hard links) ends the operation with kHasOtherLinks before
  // anything is written: those names would keep what the operation replaces.
  bool refuseOtherLinks = false;
  // Whether an existing file of the destination's name may be replaced. The replace
  // transaction sets it from the user's consent.
  bool replaceExisting = true;
  // Polled between blocks; true stops the operation with kCancelled.
  bool (*cancelled)() = nullptr;
  // Filled when given: the source as it was read, and the header's name (decryption).
  FileSnapshot* sourceRead = nullptr;
  HeaderName* storedName = nullptr;
  // Strong files: the scrypt work factor (log2 of N) a writer uses, and where a reader
  // tells the one a file asks for (also when it is refused).
  int workFactor = 18;
  int* workFactorFound = nullptr;
};

// The header plaintext for a name: its first 256 bytes, a NUL, then random bytes,
// which readers ignore.
void BuildHeader(const std::string& name, std::uint8_t header[kHeaderBytes]);
// Whether a decrypted header starts with a file name: up to 255 bytes of 0x20 and above
// and a NUL, or 256 such bytes. Bytes after the NUL are ignored. An empty name counts:
// an older writer stored one for some names.
bool IsPlausibleHeader(const std::uint8_t header[kHeaderBytes]);
// The name a plausible header holds.
std::string StoredName(const std::uint8_t header[kHeaderBytes]);
// Whether a stored name is the one expected: equal but for the case of ASCII letters,
// compared over the bytes a header keeps, or equal to what an older writer stored (the
// name cut byte-wise after its last 0x5C, which can be a trail byte in code page 936).
bool StoredNameMatches(const std::string& stored, const std::string& expected);
// The chance that a wrong password's header matches expected anyway (StoredNameMatches),
// and whether that chance is small enough (at most one in a million) for a match to
// confirm the password. An empty or one-byte name, or one whose match may rest on
// the text after its last backslash, cannot confirm it.
double ChanceOfFalseMatch(const std::string& expected);
bool MatchConfirmsPassword(const std::string& expected);
// Whether a name survives the round trip through the header check.
bool IsStorableName(const std::string& name);
// The name a ".qz" file implies: its own name without the extension, as on disk.
std::string ImpliedName(const std::string& qzPath);
// A file's name as a header holds it: code page 936, whatever the system's code page.
// Windows: from UTF-8, with '?' for each character code page 936 lacks. POSIX: the
// bytes as they are (qzcrypt converts from the locale's encoding itself).
std::string HeaderNameOf(const std::string& fileName);

EncryptStep EncryptFileData(const std::string& source, const std::string& destination,
                            const std::string& password, const CipherOptions& options = {});
DecryptStep DecryptFileData(const std::string& source, const std::string& destination,
                            const std::string& password, const CipherOptions& options = {});

// Decrypts only the header: kOk when the password opens the file, kWrongPassword when
// it does not, kNameMismatch when the stored name differs (options.storedName tells
// it). Writes nothing.
DecryptStep CheckPassword(const std::string& source, const std::string& password,
                          const CipherOptions& options = {});

}  // namespace qz
