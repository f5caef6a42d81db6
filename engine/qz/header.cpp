#include <cstring>

#include "crypto/random_bytes.h"
#include "fs/file_names.h"
#include "qz/header.h"

#ifdef _WIN32
#include "qz/code_page_936.h"
#endif

namespace qz {

namespace {

// 0x7F is a legal byte of a Windows name, so a header may hold it.
bool IsNameByte(std::uint8_t b) { return b >= 0x20; }

std::size_t StoredLength(const std::uint8_t header[kHeaderBytes]) {
  std::size_t len = 0;
  while (len < kHeaderBytes && IsNameByte(header[len])) ++len;
  return len;
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualFoldingAscii(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

void BuildHeader(const std::string& name, std::uint8_t header[kHeaderBytes]) {
  const std::size_t len = name.size() < kHeaderBytes ? name.size() : kHeaderBytes;
  std::memcpy(header, name.data(), len);
  if (len == kHeaderBytes) return;
  header[len] = 0;
  // Header and body share the key stream from its first byte: zeros here would hand
  // whoever knows a file's name the key stream, and so the body, up to byte 256.
  // Random filler leaves them only the name's bytes and its terminator.
  FillRandom(header + len + 1, kHeaderBytes - len - 1);
}

bool IsPlausibleHeader(const std::uint8_t header[kHeaderBytes]) {
  const std::size_t len = StoredLength(header);
  return len == kHeaderBytes || header[len] == 0;
}

std::string StoredName(const std::uint8_t header[kHeaderBytes]) {
  return std::string(reinterpret_cast<const char*>(header), StoredLength(header));
}

bool StoredNameMatches(const std::string& stored, const std::string& expected) {
  const std::string kept = expected.substr(0, kHeaderBytes);
  if (EqualFoldingAscii(stored, kept)) return true;
  const std::size_t cut = expected.rfind('\\');
  return cut != std::string::npos && EqualFoldingAscii(stored, expected.substr(cut + 1, kHeaderBytes));
}

namespace {

// A decrypted header under a wrong key is as good as random bytes: the chance that it
// holds name (compared as StoredNameMatches does) is one in 256 for each byte the
// comparison reads, the terminator included, twice that for an ASCII letter.
double ChanceOfName(const std::string& name) {
  double chance = 1.0;
  const std::size_t kept = name.size() < kHeaderBytes ? name.size() : kHeaderBytes;
  for (std::size_t i = 0; i < kept && chance > 1e-30; ++i) {
    const char c = FoldAscii(name[i]);
    chance *= (c >= 'a' && c <= 'z') ? 2.0 / 256 : 1.0 / 256;
  }
  return kept < kHeaderBytes ? chance / 256 : chance;
}

}  // namespace

double ChanceOfFalseMatch(const std::string& expected) {
  double chance = ChanceOfName(expected);
  const std::size_t cut = expected.rfind('\\');
  if (cut != std::string::npos) chance += ChanceOfName(expected.substr(cut + 1));
  return chance;
}

bool MatchConfirmsPassword(const std::string& expected) {
  return ChanceOfFalseMatch(expected) <= 1e-6;
}

bool IsStorableName(const std::string& name) {
  if (name.empty()) return false;
  const std::size_t checked = name.size() < kHeaderBytes ? name.size() : kHeaderBytes;
  for (std::size_t i = 0; i < checked; ++i) {
    if (!IsNameByte(static_cast<std::uint8_t>(name[i]))) return false;
  }
  return true;
}

std::string ImpliedName(const std::string& qzPath) {
  // The file system's own separator: on POSIX a backslash is part of a name.
  const std::size_t sep = LastSeparator(qzPath);
  const std::string name = sep == std::string::npos ? qzPath : qzPath.substr(sep + 1);
  return HasEncryptedExtension(name) ? StripEncryptedExtension(name) : name;
}

#ifdef _WIN32

std::string HeaderNameOf(const std::string& fileName) {
  std::string name;
  // Text that is not UTF-8 names no file; it is stored as it is.
  return ToCodePage936(fileName, LackingCharacter::kQuestionMark, &name) ? name : fileName;
}

#else

std::string HeaderNameOf(const std::string& fileName) { return fileName; }

#endif

}  // namespace qz
