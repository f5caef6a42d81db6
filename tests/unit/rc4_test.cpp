// RC4 and whole ".qz" files checked against the openssl command line, an
// implementation independent of ours.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "qz/file_cipher.h"
#include "qz/key_material.h"
#include "qz/qz_format.h"
#include "qz/rc4.h"
#include "test_password.h"
#include "test_support.h"

namespace qz {
namespace {

using test::Bytes;
using test::Hex;

#define REQUIRE_OPENSSL() \
  if (!test::OpensslRc4Available()) GTEST_SKIP() << "openssl with RC4 is not available"

Bytes OurKeyStream(const std::uint8_t* key, std::size_t keyLen, std::size_t len) {
  Rc4 rc4(key, keyLen);
  Bytes stream(len);
  rc4.Apply(stream.data(), stream.size());
  return stream;
}

TEST(Rc4, KnownVectors) {
  // Published vectors for a 40-bit and a 128-bit key, first 16 bytes of key stream.
  const std::uint8_t key40[] = {1, 2, 3, 4, 5};
  Bytes ks = OurKeyStream(key40, sizeof key40, 16);
  EXPECT_EQ("b2396305f03dc027ccc3524a0a1118a8", Hex(ks.data(), ks.size()));
  const std::uint8_t key128[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  ks = OurKeyStream(key128, sizeof key128, 16);
  EXPECT_EQ("9ac7cc9a609d1ef7b2932899cde41b97", Hex(ks.data(), ks.size()));
}

TEST(Rc4, KeyStreamsMatchOpenssl) {
  REQUIRE_OPENSSL();
  std::vector<Bytes> keys = {Bytes(16, 0), Bytes(16, 0xff), test::RandomBytes(16, 1),
                             test::RandomBytes(16, 2), test::RandomBytes(16, 3)};
  // The ".qz" form: five digest bytes and eleven zero bytes.
  for (const char* password : {"", "QX31742#MVB", "secret", "\xC3\xDC\xC2\xEB"}) {
    const auto k = DeriveRc4Key(Pw(password));
    keys.emplace_back(k.data(), k.data() + k.size());
  }
  for (const Bytes& key : keys) {
    const std::string hex = Hex(key.data(), key.size());
    const Bytes expected = test::OpensslKeyStream("rc4", hex, 70000);
    EXPECT_EQ(expected, OurKeyStream(key.data(), key.size(), expected.size())) << "key " << hex;
  }
}

TEST(Rc4, ShortKeyMatchesOpensslRc4With40Bits) {
  REQUIRE_OPENSSL();
  const Bytes key = test::RandomBytes(5, 9);
  const Bytes expected = test::OpensslKeyStream("rc4-40", Hex(key.data(), key.size()), 4096);
  EXPECT_EQ(expected, OurKeyStream(key.data(), key.size(), expected.size()));
}

// Apply works a word at a time; odd lengths and misaligned pointers must give the
// same stream as one call.
TEST(Rc4, ChunkedApplyEqualsOneCall) {
  const Bytes key = test::RandomBytes(16, 4);
  const Bytes data = test::RandomBytes(10007, 5);
  Bytes whole = data;
  Rc4(key.data(), key.size()).Apply(whole.data(), whole.size());
  for (std::size_t chunk : {1u, 3u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 1000u, 4097u}) {
    Bytes pieces = data;
    Rc4 rc4(key.data(), key.size());
    for (std::size_t at = 0; at < pieces.size(); at += chunk) {
      rc4.Apply(pieces.data() + at, std::min(chunk, pieces.size() - at));
    }
    EXPECT_EQ(whole, pieces) << "chunk " << chunk;
  }
  Bytes offset(data.size() + 1);
  std::copy(data.begin(), data.end(), offset.begin() + 1);
  Rc4(key.data(), key.size()).Apply(offset.data() + 1, data.size());
  EXPECT_TRUE(std::equal(whole.begin(), whole.end(), offset.begin() + 1));
}

TEST(Rc4, RestartGoesBackToKeyStreamByteZero) {
  const Bytes key = test::RandomBytes(16, 6);
  Rc4 rc4(key.data(), key.size());
  Bytes first(300), second(300);
  rc4.Apply(first.data(), 123);
  rc4.Restart();
  rc4.Apply(second.data(), 300);
  rc4.Restart();
  rc4.Apply(first.data(), 300);  // first[0..123) now zero again, the rest key stream
  Bytes expected = OurKeyStream(key.data(), key.size(), 300);
  EXPECT_EQ(expected, second);
  EXPECT_TRUE(std::equal(first.begin() + 123, first.end(), expected.begin() + 123));
}

// A ".qz" file is two RC4 messages from key-stream byte 0: the 256-byte header
// (name, NUL, random filler) and the body. openssl deciphers each on its own.
TEST(QzFile, HeaderAndBodyDecipherWithOpenssl) {
  REQUIRE_OPENSSL();
  test::ScratchDir dir;
  const std::string password = "p\xC3\xDC";
  const auto key = DeriveRc4Key(Pw(password));
  const std::string hexKey = Hex(key.data(), key.size());
  for (std::size_t size : {0u, 1u, 255u, 256u, 2500u, 100000u}) {
    const std::string name = "file-" + std::to_string(size) + ".bin";
    const Bytes plain = test::RandomBytes(size, static_cast<std::uint32_t>(size) + 11);
    test::WriteFile(dir / name, plain);
    CipherOptions options;
    options.backend = &PortableBackend();
    ASSERT_EQ(EncryptStep::kOk, EncryptFileData(dir / name, dir / (name + ".qz"), Pw(password), options));
    const Bytes qz = test::ReadFile(dir / (name + ".qz"));
    ASSERT_EQ(size + kHeaderBytes, qz.size());

    test::WriteFile(dir / "header.enc", Bytes(qz.begin(), qz.begin() + kHeaderBytes));
    test::WriteFile(dir / "body.enc", Bytes(qz.begin() + kHeaderBytes, qz.end()));
    ASSERT_TRUE(test::OpensslCipher("rc4", hexKey, dir / "header.enc", dir / "header.dec"));
    ASSERT_TRUE(test::OpensslCipher("rc4", hexKey, dir / "body.enc", dir / "body.dec"));

    // The name and its NUL; random filler follows.
    const Bytes header = test::ReadFile(dir / "header.dec");
    ASSERT_EQ(kHeaderBytes, header.size());
    EXPECT_EQ(name, std::string(header.begin(), header.begin() + name.size()));
    EXPECT_EQ(0, header[name.size()]) << name;
    EXPECT_EQ(plain, test::ReadFile(dir / "body.dec")) << name;
  }
}

}  // namespace
}  // namespace qz
