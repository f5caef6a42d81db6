// The header of an age v1 file protected by a passphrase: the version line, exactly
// one "scrypt" stanza and the MAC line. Reading is strict, and tells a damaged file
// from one that was made for other recipients.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "crypto/secret.h"

namespace qz {

inline constexpr std::size_t kFileKeyBytes = 16;
inline constexpr std::size_t kScryptSaltBytes = 16;
inline constexpr std::size_t kWrappedKeyBytes = 32;  // file key and tag
inline constexpr std::size_t kHeaderMacBytes = 32;

struct StrongHeader {
  std::uint8_t salt[kScryptSaltBytes] = {};
  int logN = 0;
  std::uint8_t wrappedKey[kWrappedKeyBytes] = {};
  std::uint8_t mac[kHeaderMacBytes] = {};
  std::size_t macCovered = 0;  // bytes from the start up to and including "---"
  std::size_t length = 0;      // the whole header, its last line end included
};

enum class HeaderVerdict {
  kOk,
  kIncomplete,          // no complete header in the bytes given
  kDamaged,             // not a well-formed header, or a scrypt stanza that is not alone
  kNotPassphrase,       // well-formed, but no scrypt stanza: made for other recipients
  kWorkFactorTooLarge,  // a scrypt stanza asking for more than kMaxStrongWorkFactor
};

struct HeaderParse {
  HeaderVerdict verdict = HeaderVerdict::kIncomplete;
  StrongHeader header;
  // The scrypt stanza's log2 N, also when too large (clamped to the int range); 0
  // when there is none.
  int workFactorFound = 0;
  // With kIncomplete: whether what was seen is a well-formed start whose first stanza
  // is not scrypt, so that a header too long to read is still known to be foreign.
  bool foreignSoFar = false;
};

HeaderParse ParseStrongHeader(const std::uint8_t* data, std::size_t len);

// The length BuildStrongHeader's header has: fixed but for the work factor's digits.
std::size_t StrongHeaderLength(int logN);

// What scrypt gives a password for one salt and work factor: it opens any header of
// that salt and work factor that the password opens, so it can be derived before the
// file is read for good. Wiped when it ends; moving leaves the source empty.
class StrongWrapKey {
 public:
  // False when scrypt or the guarded memory fails.
  bool Derive(const Secret& password, const std::uint8_t salt[kScryptSaltBytes], int logN);
  bool Fits(const StrongHeader& header) const;
  bool ready() const { return key_.size() == kWrapKeyBytes; }
  const std::uint8_t* key() const { return key_.data(); }
  void Wipe() { key_.Clear(); }

  static constexpr std::size_t kWrapKeyBytes = 32;

 private:
  Secret key_;
  std::uint8_t salt_[kScryptSaltBytes] = {};
  int logN_ = 0;
};

// The whole header (MAC line included) that wraps fileKey under the password with a
// fresh salt. False when scrypt fails (memory). wrapKey, when given, keeps what scrypt
// gave, so that the finished file can be opened again without another derivation.
bool BuildStrongHeader(const Secret& password, int logN,
                       const std::uint8_t fileKey[kFileKeyBytes], std::string* header,
                       StrongWrapKey* wrapKey = nullptr);

// Whether header is one whole header of BuildStrongHeader's shape at logN whose MAC
// fileKey makes: a header prepared apart from its file is checked before it is used.
bool HeaderFitsFileKey(const std::string& header, int logN, const std::uint8_t fileKey[kFileKeyBytes]);

enum class UnwrapResult { kOk, kWrongPassword, kDamaged, kKdfFailed };

// Opens the stanza with the password and checks the header's MAC over headerBytes
// (the parsed header's first macCovered bytes). fileKey is filled only with kOk.
UnwrapResult UnwrapFileKey(const Secret& password, const std::uint8_t* headerBytes,
                           const StrongHeader& header, std::uint8_t fileKey[kFileKeyBytes]);
// The same with the wrap key derived beforehand; kWrongPassword when it does not fit the
// header's salt and work factor.
UnwrapResult UnwrapFileKey(const StrongWrapKey& wrapKey, const std::uint8_t* headerBytes,
                           const StrongHeader& header, std::uint8_t fileKey[kFileKeyBytes]);

}  // namespace qz
