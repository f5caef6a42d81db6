// Strong files through the engine: round trips at chunk and batch boundaries, and
// every way a file can be damaged or foreign, each refused with nothing written and the
// source kept; armored input too.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <string>
#include <vector>

#include "age/age_header.h"
#include "age/age_payload.h"
#include "age/base64_text.h"
#include "age/strong_file.h"
#include "crypto/hkdf_sha256.h"
#include "crypto/hmac_sha256.h"
#include "fs/file_system.h"
#include "test_password.h"
#include "test_support.h"

namespace qz {
namespace {

using test::Bytes;

constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kSealed = kChunk + 16;
constexpr char kPassword[] = "correct horse";

CipherOptions Fast(int* found = nullptr) {
  CipherOptions options;
  options.workFactor = 10;
  options.workFactorFound = found;
  return options;
}

// The header's lines and where the payload starts.
struct Layout {
  std::vector<std::string> lines;  // without their LF
  std::size_t payload = 0;         // the payload nonce's first byte
};

Layout LayoutOf(const Bytes& file) {
  Layout layout;
  std::size_t pos = 0;
  for (;;) {
    std::size_t end = pos;
    while (end < file.size() && file[end] != '\n') ++end;
    layout.lines.emplace_back(file.begin() + static_cast<long>(pos), file.begin() + static_cast<long>(end));
    pos = end + 1;
    if (layout.lines.back().rfind("---", 0) == 0 || end >= file.size()) break;
  }
  layout.payload = pos;
  return layout;
}

Bytes Join(const std::vector<std::string>& lines, const Bytes& payload) {
  Bytes out;
  for (const std::string& line : lines) {
    out.insert(out.end(), line.begin(), line.end());
    out.push_back('\n');
  }
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

// Strict PEM as age -a writes it.
Bytes Armor(const Bytes& binary, const std::string& eol = "\n") {
  const std::string text = EncodeBase64(binary.data(), binary.size(), true);
  std::string out = "-----BEGIN AGE ENCRYPTED FILE-----" + eol;
  for (std::size_t i = 0; i < text.size(); i += 64) out += text.substr(i, 64) + eol;
  out += "-----END AGE ENCRYPTED FILE-----" + eol;
  return Bytes(out.begin(), out.end());
}

class StrongFileTest : public ::testing::Test {
 protected:
  // An engine-written file of size bytes; its plaintext is plain_.
  Bytes Encrypted(std::size_t size, std::uint32_t seed = 1) {
    plain_ = test::RandomBytes(size, seed);
    test::WriteFile(dir_ / "plain", plain_);
    EXPECT_EQ(EncryptStep::kOk, EncryptStrongFile(dir_ / "plain", dir_ / "plain.age", Pw(kPassword), Fast()));
    return test::ReadFile(dir_ / "plain.age");
  }

  // Decrypting and checking the bytes give `expected`; a refusal writes nothing and
  // keeps the file as it was.
  void ExpectVerdict(const Bytes& file, DecryptStep expected, const std::string& what,
                     const std::string& password = kPassword) {
    SCOPED_TRACE(what);
    const std::string path = dir_ / "in.age";
    test::WriteFile(path, file);
    EXPECT_EQ(expected, CheckStrongPassword(path, Pw(password), Fast()));
    EXPECT_EQ(expected, DecryptStrongFile(path, dir_ / "out", Pw(password), Fast()));
    if (expected == DecryptStep::kOk) {
      EXPECT_EQ(plain_, test::ReadFile(dir_ / "out"));
      RemoveFile(dir_ / "out");
    } else {
      EXPECT_FALSE(PathExists(dir_ / "out"));
    }
    EXPECT_EQ(file, test::ReadFile(path));
    EXPECT_FALSE(dir_.HasTemporaryFile());
  }

  static void RemoveFile(const std::string& path) { DeleteFileWithRetry(path, RetryPolicy{1, {}}); }

  test::ScratchDir dir_;
  Bytes plain_;
};

TEST_F(StrongFileTest, RoundTripsAtChunkAndBatchBoundaries) {
  const std::size_t sizes[] = {0, 1, kChunk, kChunk + 1, 32 * kChunk, 32 * kChunk + 1, 70 * kChunk + 12345};
  for (std::size_t size : sizes) {
    SCOPED_TRACE("size " + std::to_string(size));
    const Bytes file = Encrypted(size, static_cast<std::uint32_t>(size));
    const Layout layout = LayoutOf(file);
    ASSERT_EQ(4u, layout.lines.size());
    EXPECT_EQ("age-encryption.org/v1", layout.lines[0]);
    EXPECT_EQ(0u, layout.lines[1].rfind("-> scrypt ", 0));
    EXPECT_EQ(" 10", layout.lines[1].substr(layout.lines[1].size() - 3));
    EXPECT_EQ(43u, layout.lines[2].size());
    EXPECT_EQ(47u, layout.lines[3].size());
    // Nonce, then one tag per chunk; the last chunk is empty only for an empty file.
    const std::size_t chunks = size == 0 ? 1 : (size + kChunk - 1) / kChunk;
    EXPECT_EQ(layout.payload + 16 + size + 16 * chunks, file.size());

    int found = 0;
    ASSERT_EQ(DecryptStep::kOk, DecryptStrongFile(dir_ / "plain.age", dir_ / "back", Pw(kPassword), Fast(&found)));
    EXPECT_EQ(10, found);
    EXPECT_EQ(plain_, test::ReadFile(dir_ / "back"));
    EXPECT_EQ(DecryptStep::kOk, CheckStrongPassword(dir_ / "plain.age", Pw(kPassword), Fast()));
    RemoveFile(dir_ / "back");
    RemoveFile(dir_ / "plain.age");
    if (chunks > 40) {
      // Chunks of a batch are opened on several threads: damage in any of them counts.
      for (std::size_t chunk : {std::size_t{1}, std::size_t{20}, std::size_t{31}, std::size_t{40}}) {
        Bytes bad = file;
        bad[layout.payload + 16 + chunk * kSealed + 100] ^= 0x04;
        ExpectVerdict(bad, DecryptStep::kDamaged, "chunk " + std::to_string(chunk));
      }
      RemoveFile(dir_ / "in.age");
    }
  }
  // Fresh salt, key and nonce every time.
  const Bytes first = Encrypted(100, 5);
  RemoveFile(dir_ / "plain.age");
  EXPECT_NE(first, Encrypted(100, 5));
  EXPECT_EQ(std::vector<std::string>({"plain", "plain.age"}), dir_.List());
}

TEST_F(StrongFileTest, DamageAnywhereIsRefused) {
  const Bytes good = Encrypted(2 * kChunk + 100);
  const Layout layout = LayoutOf(good);
  const std::size_t payload = layout.payload;
  const Bytes body(good.begin() + static_cast<long>(payload), good.end());
  ExpectVerdict(good, DecryptStep::kOk, "intact");
  ExpectVerdict(good, DecryptStep::kWrongPassword, "wrong password", "correct horse ");

  struct Flip {
    std::size_t at;
    DecryptStep expected;
    const char* what;
  };
  const std::size_t stanzaBody = layout.lines[0].size() + layout.lines[1].size() + 2;
  const std::size_t mac = good.size() - body.size() - 44;
  const Flip flips[] = {
      {3, DecryptStep::kDamaged, "version line"},
      // Another salt or wrapped key opens nothing: no different from a wrong password.
      {layout.lines[0].size() + 12, DecryptStep::kWrongPassword, "salt"},
      {stanzaBody, DecryptStep::kWrongPassword, "wrapped key"},
      {mac + 5, DecryptStep::kDamaged, "MAC"},
      {payload + 3, DecryptStep::kDamaged, "payload nonce"},
      {payload + 16 + 10, DecryptStep::kDamaged, "first chunk"},
      {good.size() - 1, DecryptStep::kDamaged, "last chunk's tag"},
      {good.size() - 30, DecryptStep::kDamaged, "last chunk"},
  };
  for (const Flip& flip : flips) {
    Bytes bad = good;
    // In the header another base64 character, so that only the meaning changes.
    if (flip.at < payload) {
      bad[flip.at] = bad[flip.at] == 'A' ? 'B' : 'A';
    } else {
      bad[flip.at] ^= 0x01;
    }
    ExpectVerdict(bad, flip.expected, flip.what);
  }

  auto cut = [&](std::size_t size) { return Bytes(good.begin(), good.begin() + static_cast<long>(size)); };
  ExpectVerdict(cut(payload + 16 + 2 * kSealed), DecryptStep::kDamaged, "cut at a chunk boundary");
  ExpectVerdict(cut(good.size() - 1), DecryptStep::kDamaged, "one byte short");
  ExpectVerdict(cut(payload + 16), DecryptStep::kDamaged, "no chunk at all");
  ExpectVerdict(cut(payload), DecryptStep::kDamaged, "header only");
  ExpectVerdict(cut(payload - 1), DecryptStep::kDamaged, "header without its last line end");
  ExpectVerdict(Bytes(), DecryptStep::kDamaged, "empty file");

  Bytes longer = good;
  longer.push_back(0);
  ExpectVerdict(longer, DecryptStep::kDamaged, "a byte after the last chunk");
  longer = good;
  longer.insert(longer.end(), body.begin() + 16, body.begin() + 16 + kSealed);
  ExpectVerdict(longer, DecryptStep::kDamaged, "a whole chunk after the last");
  // Chunks in another order.
  Bytes swapped = cut(payload + 16);
  swapped.insert(swapped.end(), body.begin() + 16 + kSealed, body.begin() + 16 + 2 * kSealed);
  swapped.insert(swapped.end(), body.begin() + 16, body.begin() + 16 + kSealed);
  swapped.insert(swapped.end(), body.begin() + 16 + 2 * kSealed, body.end());
  ExpectVerdict(swapped, DecryptStep::kDamaged, "chunks swapped");
}

TEST_F(StrongFileTest, OnlyAnEmptyFileEndsWithAnEmptyChunk) {
  // Sealed with the right keys, as a faulty writer could: a full inner chunk, then an
  // empty last one.
  const std::uint8_t fileKey[kFileKeyBytes] = {1, 2, 3};
  const std::uint8_t nonce[kPayloadNonceBytes] = {9};
  std::string header;
  ASSERT_TRUE(BuildStrongHeader(Pw(kPassword), 10, fileKey, &header));
  plain_ = test::RandomBytes(kChunk, 3);
  auto payload = [&](bool fullChunkIsLast, bool emptyLast) {
    PayloadKey key;
    EXPECT_TRUE(key.Derive(fileKey, nonce));
    Bytes file(header.begin(), header.end());
    file.insert(file.end(), nonce, nonce + kPayloadNonceBytes);
    Bytes sealed(kSealed);
    EXPECT_TRUE(key.Seal(0, plain_.data(), kChunk, fullChunkIsLast, sealed.data()));
    file.insert(file.end(), sealed.begin(), sealed.end());
    if (emptyLast) {
      EXPECT_TRUE(key.Seal(1, plain_.data(), 0, true, sealed.data()));
      file.insert(file.end(), sealed.begin(), sealed.begin() + 16);
    }
    return file;
  };
  ExpectVerdict(payload(true, false), DecryptStep::kOk, "a full last chunk");
  ExpectVerdict(payload(false, true), DecryptStep::kDamaged, "an empty last chunk after a full one");
  ExpectVerdict(payload(false, false), DecryptStep::kDamaged, "no last chunk");

  plain_.clear();
  const Bytes empty = Encrypted(0);
  EXPECT_EQ(LayoutOf(empty).payload + 32, empty.size());
  ExpectVerdict(empty, DecryptStep::kOk, "an empty file's single empty chunk");
}

TEST_F(StrongFileTest, HeaderRulesAreStrict) {
  const Bytes good = Encrypted(1000);
  const Layout layout = LayoutOf(good);
  const Bytes payload(good.begin() + static_cast<long>(layout.payload), good.end());
  const std::string salt = layout.lines[1].substr(10, 22);
  const std::string stanza = layout.lines[2];
  auto with = [&](std::vector<std::string> lines) { return Join(lines, payload); };
  const std::string& v1 = layout.lines[0];
  const std::string& macLine = layout.lines[3];

  struct Case {
    std::vector<std::string> lines;
    DecryptStep expected;
    const char* what;
  };
  const std::string x25519 = "-> X25519 " + stanza.substr(0, 43);
  const std::vector<Case> cases = {
      {{v1, "-> scrypt " + salt + " 010", stanza, macLine}, DecryptStep::kDamaged, "leading zero"},
      {{v1, "-> scrypt " + salt + " 0", stanza, macLine}, DecryptStep::kDamaged, "work factor 0"},
      {{v1, "-> scrypt " + salt + " -1", stanza, macLine}, DecryptStep::kDamaged, "negative"},
      {{v1, "-> scrypt " + salt + " 10 x", stanza, macLine}, DecryptStep::kDamaged, "four arguments"},
      {{v1, "-> scrypt " + salt, stanza, macLine}, DecryptStep::kDamaged, "two arguments"},
      {{v1, "-> scrypt  " + salt + " 10", stanza, macLine}, DecryptStep::kDamaged, "empty argument"},
      {{v1, "-> scrypt " + salt.substr(0, 21) + "B 10", stanza, macLine}, DecryptStep::kDamaged,
       "salt with stray bits"},
      {{v1, "-> scrypt " + salt + "== 10", stanza, macLine}, DecryptStep::kDamaged, "padded salt"},
      {{v1, "-> scrypt " + salt.substr(0, 20) + " 10", stanza, macLine}, DecryptStep::kDamaged,
       "short salt"},
      {{v1, layout.lines[1], stanza.substr(0, 42) + "B", macLine}, DecryptStep::kDamaged,
       "stanza body with stray bits"},
      {{v1, layout.lines[1], stanza.substr(0, 40), macLine}, DecryptStep::kDamaged, "short body"},
      {{v1, layout.lines[1], stanza, "", macLine}, DecryptStep::kDamaged, "blank line"},
      {{v1, layout.lines[1], stanza, macLine.substr(0, 46)}, DecryptStep::kDamaged, "short MAC"},
      {{v1, layout.lines[1], stanza, "---" + macLine.substr(4)}, DecryptStep::kDamaged,
       "MAC without space"},
      {{"age-encryption.org/v2", layout.lines[1], stanza, macLine}, DecryptStep::kDamaged,
       "other version"},
      {{v1, macLine}, DecryptStep::kDamaged, "no stanza"},
      {{v1, x25519, stanza, macLine}, DecryptStep::kNotPassphraseFile, "X25519 only"},
      {{v1, "-> example.com/plugin a b", "", x25519, stanza, macLine},
       DecryptStep::kNotPassphraseFile, "plugin and X25519"},
  };
  for (const Case& c : cases) ExpectVerdict(with(c.lines), c.expected, c.what);

  Bytes crlf = good;
  crlf.insert(crlf.begin() + static_cast<long>(v1.size()), '\r');
  ExpectVerdict(crlf, DecryptStep::kDamaged, "CRLF");
}

TEST_F(StrongFileTest, AScryptStanzaMustBeAlone) {
  // Headers with a right MAC and a stanza the password opens: only the rule refuses them.
  const std::uint8_t fileKey[kFileKeyBytes] = {7};
  std::string header;
  ASSERT_TRUE(BuildStrongHeader(Pw(kPassword), 10, fileKey, &header));
  const Layout layout = LayoutOf(Bytes(header.begin(), header.end()));
  const std::string scrypt = layout.lines[1] + "\n" + layout.lines[2] + "\n";
  const std::string x25519 = "-> X25519 " + layout.lines[2] + "\n" + layout.lines[2] + "\n";
  plain_ = test::RandomBytes(500, 4);
  auto forge = [&](const std::string& stanzas) {
    std::string text = "age-encryption.org/v1\n" + stanzas + "---";
    const std::uint8_t info[] = {'h', 'e', 'a', 'd', 'e', 'r'};
    std::uint8_t macKey[32], mac[32];
    EXPECT_TRUE(HkdfSha256(fileKey, sizeof fileKey, nullptr, 0, info, sizeof info, macKey, 32));
    HmacSha256 hmac(macKey, sizeof macKey);
    hmac.Update(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    hmac.Final(mac);
    text += " " + EncodeBase64(mac, sizeof mac, false) + "\n";
    Bytes file(text.begin(), text.end());
    const std::uint8_t nonce[kPayloadNonceBytes] = {5};
    file.insert(file.end(), nonce, nonce + kPayloadNonceBytes);
    PayloadKey key;
    EXPECT_TRUE(key.Derive(fileKey, nonce));
    Bytes sealed(plain_.size() + 16);
    EXPECT_TRUE(key.Seal(0, plain_.data(), plain_.size(), true, sealed.data()));
    file.insert(file.end(), sealed.begin(), sealed.end());
    return file;
  };
  ExpectVerdict(forge(scrypt), DecryptStep::kOk, "alone");
  ExpectVerdict(forge(scrypt + scrypt), DecryptStep::kDamaged, "twice");
  ExpectVerdict(forge(scrypt + x25519), DecryptStep::kDamaged, "before an X25519 stanza");
  ExpectVerdict(forge(x25519 + scrypt), DecryptStep::kDamaged, "after an X25519 stanza");
}

TEST_F(StrongFileTest, TooLargeWorkFactorIsRefusedBeforeAnyWork) {
  const Bytes good = Encrypted(1000);
  const Layout layout = LayoutOf(good);
  const Bytes payload(good.begin() + static_cast<long>(layout.payload), good.end());
  const std::string salt = layout.lines[1].substr(10, 22);
  for (const auto& [text, value] : std::vector<std::pair<std::string, int>>{
           {"23", 23}, {"64", 64}, {"99999999999999999999", INT_MAX}}) {
    SCOPED_TRACE(text);
    test::WriteFile(dir_ / "big.age",
                    Join({layout.lines[0], "-> scrypt " + salt + " " + text, layout.lines[2],
                          layout.lines[3]},
                         payload));
    int found = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DecryptStep::kWorkFactorTooLarge,
              DecryptStrongFile(dir_ / "big.age", dir_ / "out", Pw(kPassword), Fast(&found)));
    // scrypt at 2^23 would take 8 GiB and many seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(value, found);
    found = 0;
    EXPECT_EQ(DecryptStep::kWorkFactorTooLarge, CheckStrongPassword(dir_ / "big.age", Pw(kPassword), Fast(&found)));
    EXPECT_EQ(value, found);
    EXPECT_FALSE(PathExists(dir_ / "out"));
  }
  // Writers take 1 to 22.
  for (int logN : {0, 23}) {
    CipherOptions options = Fast();
    options.workFactor = logN;
    EXPECT_EQ(EncryptStep::kDeriveKey, EncryptStrongFile(dir_ / "plain", dir_ / "w.age", Pw(kPassword), options));
    EXPECT_FALSE(PathExists(dir_ / "w.age"));
  }
}

TEST_F(StrongFileTest, ArmoredFilesAreReadStrictly) {
  // A last line of 64 columns ending in padding is the last all the same.
  Bytes binary;
  for (std::size_t size = 3 * kChunk; binary.size() % 48 != 46; ++size) binary = Encrypted(size);
  ExpectVerdict(Armor(binary), DecryptStep::kOk, "armored, padding in a full line");
  // From here on a short last line with padding.
  for (std::size_t size = 3 * kChunk + 7; binary.size() % 48 != 10; ++size) binary = Encrypted(size);
  ExpectVerdict(Armor(binary), DecryptStep::kOk, "armored");
  ExpectVerdict(Armor(binary, "\r\n"), DecryptStep::kOk, "armored with CRLF");
  Bytes trailing = Armor(binary);
  for (char c : std::string("\n \t\r\n")) trailing.push_back(static_cast<std::uint8_t>(c));
  ExpectVerdict(trailing, DecryptStep::kOk, "white space after the end line");
  Bytes noEol = Armor(binary);
  noEol.pop_back();
  ExpectVerdict(noEol, DecryptStep::kOk, "no line end after the end line");

  const Bytes armored = Armor(binary);
  const std::string text(armored.begin(), armored.end());
  auto edit = [&](const std::string& from, const std::string& to, std::size_t at = 0) {
    std::string changed = text;
    const std::size_t pos = changed.find(from, at);
    EXPECT_NE(std::string::npos, pos) << from;
    changed.replace(pos, from.size(), to);
    return Bytes(changed.begin(), changed.end());
  };
  const std::size_t body = text.find('\n') + 1;
  const std::string firstLine = text.substr(body, 64);
  const std::size_t end = text.find("-----END");
  const std::size_t lastLine = text.rfind('\n', end - 2) + 1;
  const std::string last = text.substr(lastLine, end - 1 - lastLine);
  ASSERT_LT(last.size(), 64u);
  ASSERT_EQ('=', last.back());

  ExpectVerdict(edit(firstLine + "\n", firstLine.substr(0, 60) + "\n" + firstLine.substr(60) + "\n"),
                DecryptStep::kDamaged, "a short line inside");
  ExpectVerdict(edit(firstLine + "\n", firstLine + "\n\n"), DecryptStep::kDamaged, "an empty line");
  ExpectVerdict(edit(firstLine + "\n", firstLine + "\n ", body), DecryptStep::kDamaged,
                "white space inside");
  ExpectVerdict(edit(firstLine + "\n", firstLine.substr(0, 63) + "*\n"), DecryptStep::kDamaged,
                "a character outside base64");
  ExpectVerdict(edit(last + "\n", last.substr(0, last.size() - 1) + "\n"), DecryptStep::kDamaged,
                "padding missing");
  ExpectVerdict(edit("-----END AGE ENCRYPTED FILE-----\n", ""), DecryptStep::kDamaged, "no end line");
  ExpectVerdict(edit("-----END AGE ENCRYPTED FILE-----", "-----END AGE ENCRYPTED FILE----- "),
                DecryptStep::kDamaged, "end line with a space");
  ExpectVerdict(edit("-----BEGIN AGE ENCRYPTED FILE-----", "-----BEGIN AGE ENCRYPTED FILE-----x"),
                DecryptStep::kDamaged, "begin line with more");
  Bytes after = Armor(binary);
  after.push_back('x');
  ExpectVerdict(after, DecryptStep::kDamaged, "data after the end line");
  Bytes before = Armor(binary);
  before.insert(before.begin(), ' ');
  ExpectVerdict(before, DecryptStep::kDamaged, "white space before the begin line");
  // A last line with stray bits in its padding group.
  std::string stray = last;
  const std::size_t group = stray.find('=') - 1;
  stray[group] = stray[group] == 'B' ? 'C' : 'B';
  ExpectVerdict(edit(last + "\n", stray + "\n"), DecryptStep::kDamaged, "stray bits before padding");
  ExpectVerdict(Armor(Bytes(binary.begin(), binary.end() - 1)), DecryptStep::kDamaged,
                "a cut file, armored");
}

TEST_F(StrongFileTest, EmptyPasswordIsRefusedAtOnce) {
  const Bytes file = Encrypted(10);
  EXPECT_EQ(EncryptStep::kEmptyPassword, EncryptStrongFile(dir_ / "plain", dir_ / "x.age", Pw(""), Fast()));
  EXPECT_EQ(DecryptStep::kEmptyPassword, DecryptStrongFile(dir_ / "plain.age", dir_ / "out", Pw(""), Fast()));
  EXPECT_EQ(DecryptStep::kEmptyPassword, CheckStrongPassword(dir_ / "plain.age", Pw(""), Fast()));
  EXPECT_EQ(std::vector<std::string>({"plain", "plain.age"}), dir_.List());
}

}  // namespace
}  // namespace qz
