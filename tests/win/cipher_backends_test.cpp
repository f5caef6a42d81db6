// The CryptoAPI backend (Wine's provider, an independent implementation) and the
// portable backend must give the same key streams and the same ".qz" files.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fs/file_names.h"
#include "fs/win_path.h"
#include "qz/cipher.h"
#include "qz/default_password.h"
#include "qz/file_cipher.h"
#include "qz/header.h"
#include "support/files.h"
#include "test_password.h"
#include "transactions/replace_transaction.h"

namespace qz {
namespace {

using wintest::Bytes;

struct NamedPassword {
  const char* label;
  std::string bytes;
};

std::vector<NamedPassword> Passwords() {
  // 259 bytes: 129 double-byte characters (U+554A) and one ASCII byte.
  std::string longest;
  for (int i = 0; i < 129; ++i) longest += "\xB0\xA1";
  longest += "z";
  return {
      {"ascii", "Secret-42"},
      {"default", kDefaultPassword},
      {"empty", ""},
      {"cp936", "\xC3\xDC\xC2\xEB" "abc" "\xCE\xC4\xBC\xFE"},  // U+5BC6 U+7801 abc U+6587 U+4EF6
      {"longest", longest},
  };
}

std::unique_ptr<CipherKey> Derive(const CipherBackend& backend, const std::string& password) {
  std::unique_ptr<CipherKey> key;
  EXPECT_EQ(KeyStep::kOk, backend.DeriveKey(Pw(password), &key)) << backend.Name();
  return key;
}

// Runs a sequence of calls over zero bytes, the way a file is enciphered: the
// header as one final call, then the body in blocks with the last one final.
Bytes KeyStream(CipherKey& key, const std::vector<std::size_t>& calls, bool decrypt) {
  Bytes out;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    Bytes chunk(calls[i], 0);
    const bool final = i == 0 || i + 1 == calls.size();
    const bool ok = decrypt ? key.Decrypt(chunk.data(), chunk.size(), final)
                            : key.Encrypt(chunk.data(), chunk.size(), final);
    EXPECT_TRUE(ok);
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}

TEST(CipherBackends, KeyStreamsAgreeAndRestartAfterFinal) {
  const std::vector<std::size_t> calls = {256, 1000, 1000, 500, 1, 0};
  for (const NamedPassword& password : Passwords()) {
    SCOPED_TRACE(password.label);
    auto portable = Derive(PortableBackend(), password.bytes);
    auto cryptoApi = Derive(CryptoApiBackend(), password.bytes);
    ASSERT_TRUE(portable && cryptoApi);
    const Bytes expected = KeyStream(*portable, calls, false);
    EXPECT_EQ(expected, KeyStream(*cryptoApi, calls, false));
    // The same key serves again, from key-stream byte 0, after a final call.
    EXPECT_EQ(expected, KeyStream(*cryptoApi, calls, true));
    // Header and body both start at key-stream byte 0.
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 256, expected.begin() + 256));
  }
}

TEST(CipherBackends, DefaultIsCryptoApiWithTheFortyBitKey) {
  EXPECT_EQ(&CryptoApiBackend(), &DefaultBackend());
  // RC4 over MD5("Secret-42")[0..4] and 11 zero bytes, computed by OpenSSL.
  const Bytes expected = {0x6b, 0xae, 0xe0, 0xb3, 0x38, 0xc0, 0x48, 0xe9,
                          0x90, 0xbe, 0xca, 0xea, 0x73, 0x9e, 0x6c, 0x50};
  auto key = Derive(DefaultBackend(), "Secret-42");
  ASSERT_TRUE(key);
  Bytes got(expected.size(), 0);
  ASSERT_TRUE(key->Encrypt(got.data(), got.size(), true));
  EXPECT_EQ(expected, got);
}

class CipherFiles : public ::testing::Test {
 protected:
  wintest::TempDir dir_;
};

// A code page 936 name (U+6D4B U+8BD5).
constexpr char kAnsiName[] = "\xB2\xE2\xCA\xD4.bin";

std::string HeaderName(const Bytes& encrypted, const std::string& password) {
  Bytes header(encrypted.begin(), encrypted.begin() + kHeaderBytes);
  auto key = Derive(PortableBackend(), password);
  key->Decrypt(header.data(), header.size(), true);
  return std::string(reinterpret_cast<const char*>(header.data()));
}

TEST_F(CipherFiles, BackendsWriteIdenticalFilesAndReadEachOther) {
  const std::string source = dir_.File("plain.bin");
  const std::size_t sizes[] = {0, 999, 1000, 1001, 2500, 3000, 501000};
  CipherOptions portable, cryptoApi;
  portable.backend = &PortableBackend();
  cryptoApi.backend = &CryptoApiBackend();
  portable.headerName = cryptoApi.headerName = kAnsiName;
  portable.expectedName = cryptoApi.expectedName = std::string(kAnsiName);

  for (const NamedPassword& password : Passwords()) {
    for (const std::size_t size : sizes) {
      SCOPED_TRACE(std::string(password.label) + " size " + std::to_string(size));
      const Bytes plain = wintest::PatternBytes(size, static_cast<std::uint32_t>(size) + 7);
      ASSERT_TRUE(wintest::WriteBytes(source, plain));
      const std::string byPortable = dir_.File("p.qz"), byCryptoApi = dir_.File("c.qz");
      ASSERT_EQ(EncryptStep::kOk, EncryptFileData(source, byPortable, Pw(password.bytes), portable));
      ASSERT_EQ(EncryptStep::kOk, EncryptFileData(source, byCryptoApi, Pw(password.bytes), cryptoApi));
      const Bytes encrypted = wintest::ReadBytes(byPortable);
      ASSERT_EQ(size + kHeaderBytes, encrypted.size());
      // Identical but for the header's random filler after the name and its NUL.
      const Bytes other = wintest::ReadBytes(byCryptoApi);
      const std::size_t named = sizeof kAnsiName;  // the name and its NUL
      ASSERT_EQ(encrypted.size(), other.size());
      EXPECT_TRUE(std::equal(encrypted.begin(), encrypted.begin() + named, other.begin()));
      EXPECT_TRUE(std::equal(encrypted.begin() + kHeaderBytes, encrypted.end(), other.begin() + kHeaderBytes));
      EXPECT_EQ(kAnsiName, HeaderName(encrypted, password.bytes));
      EXPECT_EQ(kAnsiName, HeaderName(other, password.bytes));

      const std::string back1 = dir_.File("back1.bin"), back2 = dir_.File("back2.bin");
      ASSERT_EQ(DecryptStep::kOk, DecryptFileData(byPortable, back1, Pw(password.bytes), cryptoApi));
      ASSERT_EQ(DecryptStep::kOk, DecryptFileData(byCryptoApi, back2, Pw(password.bytes), portable));
      EXPECT_TRUE(plain == wintest::ReadBytes(back1));
      EXPECT_TRUE(plain == wintest::ReadBytes(back2));
    }
  }
}

// Names on disk are UTF-8 whatever the system's code page; the header holds code page
// 936, '?' for each character it lacks. 盶 is 0xB1 0x5C there: its second byte is the
// backslash's, and neither the path nor the header may be cut at it.
TEST_F(CipherFiles, NamesOnDiskComeBackExactlyAndHeadersHoldCodePage936) {
  const std::pair<std::string, std::string> names[] = {
      {u8"测试.bin", "\xB2\xE2\xCA\xD4.bin"},
      {u8"盶.txt", "\xB1\x5C.txt"},
      {u8"straße.txt", "stra?e.txt"},
      {u8"emoji😀.txt", "emoji?.txt"},
      {u8"한국어.txt", "???.txt"},
  };
  for (const auto& [name, header] : names) {
    SCOPED_TRACE(name);
    const std::string source = dir_.File(name);
    std::string dir, split;
    SplitPath(source, &dir, &split);
    EXPECT_EQ(dir_.path(), dir);
    EXPECT_EQ(name, split);

    const Bytes plain = wintest::PatternBytes(1234, 9);
    ASSERT_TRUE(wintest::WriteBytes(source, plain));
    const EncryptResult encrypted = ReplaceWithEncrypted(source, Pw("pw"));
    ASSERT_EQ(Outcome::kDone, encrypted.outcome);
    EXPECT_EQ(std::vector<std::string>{name + ".qz"}, dir_.Names()) << "nothing written beside";
    EXPECT_EQ(header, HeaderName(wintest::ReadBytes(encrypted.destination), "pw"));

    const DecryptResult decrypted = ReplaceWithDecrypted(encrypted.destination, Pw("pw"));
    ASSERT_EQ(Outcome::kDone, decrypted.outcome);
    EXPECT_EQ(std::vector<std::string>{name}, dir_.Names());
    EXPECT_TRUE(plain == wintest::ReadBytes(source));
    ::DeleteFileW(WidePath(source).c_str());
  }
}

TEST_F(CipherFiles, WrongPasswordIsRefusedByBothBackends) {
  const std::string source = dir_.File("a.txt"), encrypted = dir_.File("a.txt.qz");
  ASSERT_TRUE(wintest::WriteBytes(source, wintest::PatternBytes(4000, 1)));
  ASSERT_EQ(EncryptStep::kOk, EncryptFileData(source, encrypted, Pw("right")));
  for (const CipherBackend* backend : {&PortableBackend(), &CryptoApiBackend()}) {
    CipherOptions options;
    options.backend = backend;
    EXPECT_EQ(DecryptStep::kWrongPassword, CheckPassword(encrypted, Pw("wrong"), options));
    EXPECT_EQ(DecryptStep::kOk, CheckPassword(encrypted, Pw("right"), options));
  }
}

}  // namespace
}  // namespace qz
