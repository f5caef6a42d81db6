// The step at which an encryption or decryption stopped: what every operation returns
// and every front end turns into its message.
#pragma once

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

}  // namespace qz
