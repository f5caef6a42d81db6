#include "age/age_header.h"

#include <sodium.h>

#include <algorithm>
#include <climits>
#include <new>
#include <string_view>
#include <vector>

#include "age/base64_text.h"
#include "age/strong_format.h"
#include "crypto/chacha20_poly1305.h"
#include "crypto/hkdf_sha256.h"
#include "crypto/hmac_sha256.h"
#include "crypto/random_bytes.h"
#include "crypto/scrypt_kdf.h"
#include "crypto/secure_wipe.h"

namespace qz {

namespace {

constexpr std::string_view kVersionLine = "age-encryption.org/v1";
constexpr std::string_view kScryptLabel = "age-encryption.org/v1/scrypt";
constexpr std::string_view kStanzaPrefix = "-> ";
constexpr std::string_view kMacMark = "---";
constexpr std::size_t kColumns = 64;
constexpr std::uint8_t kZeroNonce[kAeadNonceBytes] = {};

struct Stanza {
  std::vector<std::string_view> args;
  std::vector<std::uint8_t> body;
};

class LineReader {
 public:
  LineReader(const std::uint8_t* data, std::size_t len)
      : text_(reinterpret_cast<const char*>(data), len) {}
  // The next line without its LF; false when no complete line is left.
  bool Next(std::string_view* line) {
    const std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) return false;
    *line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return true;
  }
  std::size_t pos() const { return pos_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

bool SplitArguments(std::string_view text, std::vector<std::string_view>* args) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(text.find(' ', start), text.size());
    const std::string_view arg = text.substr(start, end - start);
    if (arg.empty()) return false;
    for (char c : arg) {
      if (c < 0x21 || c > 0x7E) return false;
    }
    args->push_back(arg);
    if (end == text.size()) return true;
    start = end + 1;
  }
}

bool DecodeInto(std::string_view text, std::uint8_t* out, std::size_t bytes) {
  std::size_t got = 0;
  return DecodeBase64(text.data(), text.size(), false, out, bytes, &got) && got == bytes;
}

// "1" to "99...": no sign, no leading zero. Large values saturate.
bool ParseWorkFactor(std::string_view text, int* value) {
  if (text.empty() || text[0] < '1' || text[0] > '9') return false;
  long long n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
    if (n > INT_MAX) n = INT_MAX;
  }
  *value = static_cast<int>(n);
  return true;
}

enum class BodyRead { kOk, kIncomplete, kDamaged };

BodyRead ReadBody(LineReader& lines, std::vector<std::uint8_t>* body) {
  std::string_view line;
  for (;;) {
    if (!lines.Next(&line)) return BodyRead::kIncomplete;
    if (line.size() > kColumns) return BodyRead::kDamaged;
    std::uint8_t bytes[kColumns / 4 * 3];
    std::size_t got = 0;
    if (!DecodeBase64(line.data(), line.size(), false, bytes, sizeof bytes, &got)) {
      return BodyRead::kDamaged;
    }
    body->insert(body->end(), bytes, bytes + got);
    if (line.size() < kColumns) return BodyRead::kOk;
  }
}

HeaderParse Verdict(HeaderVerdict verdict) {
  HeaderParse parse;
  parse.verdict = verdict;
  return parse;
}

HeaderParse CheckScryptStanza(const Stanza& stanza) {
  HeaderParse parse;
  int logN = 0;
  if (stanza.args.size() != 3 || !ParseWorkFactor(stanza.args[2], &logN) ||
      !DecodeInto(stanza.args[1], parse.header.salt, kScryptSaltBytes) ||
      stanza.body.size() != kWrappedKeyBytes) {
    return Verdict(HeaderVerdict::kDamaged);
  }
  parse.workFactorFound = logN;
  if (logN > kMaxStrongWorkFactor) {
    parse.verdict = HeaderVerdict::kWorkFactorTooLarge;
    return parse;
  }
  parse.header.logN = logN;
  std::copy(stanza.body.begin(), stanza.body.end(), parse.header.wrappedKey);
  parse.verdict = HeaderVerdict::kOk;
  return parse;
}

void DeriveWrapKey(const Secret& password, const std::uint8_t salt[kScryptSaltBytes], int logN,
                   std::uint8_t key[kAeadKeyBytes], bool* ok) {
  std::uint8_t label[kScryptLabel.size() + kScryptSaltBytes];
  std::copy(kScryptLabel.begin(), kScryptLabel.end(), label);
  std::copy(salt, salt + kScryptSaltBytes, label + kScryptLabel.size());
  *ok = Scrypt(reinterpret_cast<const std::uint8_t*>(password.data()), password.size(), label,
               sizeof label, logN, 8, 1, key, kAeadKeyBytes);
}

void HeaderMac(const std::uint8_t fileKey[kFileKeyBytes], const std::uint8_t* header,
               std::size_t len, std::uint8_t mac[kHeaderMacBytes]) {
  static const std::uint8_t kInfo[] = {'h', 'e', 'a', 'd', 'e', 'r'};
  std::uint8_t macKey[kSha256Bytes];
  WipeOnExit<decltype(macKey)> wipeKey(macKey);
  HkdfSha256(fileKey, kFileKeyBytes, nullptr, 0, kInfo, sizeof kInfo, macKey, sizeof macKey);
  HmacSha256 hmac(macKey, sizeof macKey);
  hmac.Update(header, len);
  hmac.Final(mac);
}

// The file key from the stanza, accepted only when it makes the header's MAC: a header
// changed anywhere is refused.
UnwrapResult OpenStanza(const std::uint8_t wrapKey[kAeadKeyBytes], const std::uint8_t* headerBytes,
                        const StrongHeader& header, std::uint8_t fileKey[kFileKeyBytes]) {
  std::uint8_t key[kFileKeyBytes];
  WipeOnExit<decltype(key)> wipeKey(key);
  if (!AeadOpen(wrapKey, kZeroNonce, nullptr, 0, header.wrappedKey, kWrappedKeyBytes, key)) {
    return UnwrapResult::kWrongPassword;
  }
  std::uint8_t mac[kHeaderMacBytes];
  HeaderMac(key, headerBytes, header.macCovered, mac);
  if (crypto_verify_32(mac, header.mac) != 0) return UnwrapResult::kDamaged;
  std::copy(key, key + kFileKeyBytes, fileKey);
  return UnwrapResult::kOk;
}

}  // namespace

HeaderParse ParseStrongHeader(const std::uint8_t* data, std::size_t len) {
  LineReader lines(data, len);
  std::string_view line;
  if (!lines.Next(&line)) return Verdict(HeaderVerdict::kIncomplete);
  if (line != kVersionLine) return Verdict(HeaderVerdict::kDamaged);

  std::vector<Stanza> stanzas;
  bool scrypt = false;
  for (;;) {
    const std::size_t lineStart = lines.pos();
    if (!lines.Next(&line)) break;
    if (line.substr(0, kStanzaPrefix.size()) == kStanzaPrefix) {
      Stanza stanza;
      if (!SplitArguments(line.substr(kStanzaPrefix.size()), &stanza.args)) {
        return Verdict(HeaderVerdict::kDamaged);
      }
      const BodyRead body = ReadBody(lines, &stanza.body);
      if (body == BodyRead::kDamaged) return Verdict(HeaderVerdict::kDamaged);
      if (body == BodyRead::kIncomplete) break;
      scrypt = scrypt || stanza.args[0] == "scrypt";
      stanzas.push_back(std::move(stanza));
      continue;
    }
    if (line.substr(0, kMacMark.size()) != kMacMark) return Verdict(HeaderVerdict::kDamaged);
    std::uint8_t mac[kHeaderMacBytes];
    if (stanzas.empty() || line.size() != kMacMark.size() + 1 + Base64Length(kHeaderMacBytes, false) ||
        line[kMacMark.size()] != ' ' || !DecodeInto(line.substr(kMacMark.size() + 1), mac, sizeof mac)) {
      return Verdict(HeaderVerdict::kDamaged);
    }
    // Whatever else a header holds, a password opens only a lone scrypt stanza.
    if (!scrypt) return Verdict(HeaderVerdict::kNotPassphrase);
    if (stanzas.size() != 1) return Verdict(HeaderVerdict::kDamaged);
    HeaderParse parse = CheckScryptStanza(stanzas[0]);
    std::copy(mac, mac + kHeaderMacBytes, parse.header.mac);
    parse.header.macCovered = lineStart + kMacMark.size();
    parse.header.length = lines.pos();
    return parse;
  }
  HeaderParse parse = Verdict(HeaderVerdict::kIncomplete);
  parse.foreignSoFar = !stanzas.empty() && !scrypt;
  return parse;
}

std::size_t StrongHeaderLength(int logN) {
  return kVersionLine.size() + 1 + kStanzaPrefix.size() + std::string("scrypt ").size() +
         Base64Length(kScryptSaltBytes, false) + 1 + std::to_string(logN).size() + 1 +
         Base64Length(kWrappedKeyBytes, false) + 1 + kMacMark.size() + 1 +
         Base64Length(kHeaderMacBytes, false) + 1;
}

bool StrongWrapKey::Derive(const Secret& password, const std::uint8_t salt[kScryptSaltBytes], int logN) {
  Wipe();
  try {
    key_ = Secret(kWrapKeyBytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
  bool derived = false;
  DeriveWrapKey(password, salt, logN, key_.data(), &derived);
  if (!derived) {
    Wipe();
    return false;
  }
  std::copy(salt, salt + kScryptSaltBytes, salt_);
  logN_ = logN;
  return true;
}

bool StrongWrapKey::Fits(const StrongHeader& header) const {
  return ready() && header.logN == logN_ &&
         std::equal(salt_, salt_ + kScryptSaltBytes, header.salt);
}

bool BuildStrongHeader(const Secret& password, int logN,
                       const std::uint8_t fileKey[kFileKeyBytes], std::string* header,
                       StrongWrapKey* keptWrapKey) {
  std::uint8_t salt[kScryptSaltBytes];
  FillRandom(salt, sizeof salt);
  StrongWrapKey wrapKey;
  if (!wrapKey.Derive(password, salt, logN)) return false;
  std::uint8_t wrapped[kWrappedKeyBytes];
  if (!AeadSeal(wrapKey.key(), kZeroNonce, nullptr, 0, fileKey, kFileKeyBytes, wrapped)) return false;

  std::string text(kVersionLine);
  text += "\n";
  text += kStanzaPrefix;
  text += "scrypt " + EncodeBase64(salt, sizeof salt, false) + " " + std::to_string(logN) + "\n";
  text += EncodeBase64(wrapped, sizeof wrapped, false) + "\n";  // shorter than a full line
  text += kMacMark;
  std::uint8_t mac[kHeaderMacBytes];
  HeaderMac(fileKey, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), mac);
  text += " " + EncodeBase64(mac, sizeof mac, false) + "\n";
  *header = std::move(text);
  if (keptWrapKey) *keptWrapKey = std::move(wrapKey);
  return true;
}

bool HeaderFitsFileKey(const std::string& header, int logN, const std::uint8_t fileKey[kFileKeyBytes]) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(header.data());
  const HeaderParse parse = ParseStrongHeader(bytes, header.size());
  if (parse.verdict != HeaderVerdict::kOk || parse.header.logN != logN ||
      parse.header.length != header.size() || header.size() != StrongHeaderLength(logN)) {
    return false;
  }
  std::uint8_t mac[kHeaderMacBytes];
  HeaderMac(fileKey, bytes, parse.header.macCovered, mac);
  return crypto_verify_32(mac, parse.header.mac) == 0;
}

UnwrapResult UnwrapFileKey(const Secret& password, const std::uint8_t* headerBytes,
                           const StrongHeader& header, std::uint8_t fileKey[kFileKeyBytes]) {
  std::uint8_t wrapKey[kAeadKeyBytes];
  WipeOnExit<decltype(wrapKey)> wipeWrapKey(wrapKey);
  bool derived = false;
  DeriveWrapKey(password, header.salt, header.logN, wrapKey, &derived);
  if (!derived) return UnwrapResult::kKdfFailed;
  return OpenStanza(wrapKey, headerBytes, header, fileKey);
}

UnwrapResult UnwrapFileKey(const StrongWrapKey& wrapKey, const std::uint8_t* headerBytes,
                           const StrongHeader& header, std::uint8_t fileKey[kFileKeyBytes]) {
  if (!wrapKey.Fits(header)) return UnwrapResult::kWrongPassword;
  return OpenStanza(wrapKey.key(), headerBytes, header, fileKey);
}

}  // namespace qz
