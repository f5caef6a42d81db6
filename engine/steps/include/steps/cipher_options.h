// What a caller tells one encryption or decryption besides its paths and password.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fs/file_snapshot.h"
#include "steps/cancel_token.h"
#include "steps/progress.h"

namespace qz {

class CipherBackend;  // qz/cipher.h
struct HeaderName;     // qz/header.h
class StrongWrapKey;   // age/age_header.h

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
  // Whether the output may overwrite a file of the destination's name (otherwise
  // kDestinationExists). The replace transaction sets it from the user's consent,
  // TransactionOptions::replaceExisting.
  bool overwriteDestination = true;
  // Read between blocks; a request stops the operation with kCancelled. The caller owns it.
  const CancelToken* cancel = nullptr;
  // Filled when given: the source as it was read, and the header's name (decryption).
  FileSnapshot* sourceRead = nullptr;
  HeaderName* storedName = nullptr;
  // Set when the output failed because its disk (or the user's quota) was full.
  bool* outputOutOfSpace = nullptr;
  // Strong files: the scrypt work factor (log2 of N) a writer uses, and where a reader
  // tells the one a file asks for (also when it is refused).
  int workFactor = 18;
  int* workFactorFound = nullptr;
  // Strong files: a key derived ahead for the source's header (a batch's); used only when
  // it fits that header's salt and work factor, otherwise the password's own derivation runs.
  const StrongWrapKey* wrapKeyAhead = nullptr;
};

}  // namespace qz
