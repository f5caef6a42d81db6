// The ".qz" header: the encrypted block before the data that holds the file's name,
// and the rules by which a reader takes that name as the file's own.
#pragma once

#include <cstdint>
#include <string>

#include "qz/qz_format.h"

namespace qz {

// The name a decrypted header holds, and whether it is the name the file implies.
struct HeaderName {
  std::string stored;  // code page 936 bytes, without terminator
  bool matches = false;
  // The match also confirms the password: the name compared is long enough that a
  // wrong password gives it by chance at most once in a million tries.
  bool confirmed = false;
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

}  // namespace qz
