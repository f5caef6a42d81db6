#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "qz/key_material.h"
#include "qz/md5.h"
#include "test_password.h"
#include "test_support.h"

namespace qz {
namespace {

using test::Bytes;
using test::Hex;

std::string Md5Hex(const std::string& s) {
  const auto d = Md5Digest(s.data(), s.size());
  return Hex(d.data(), d.size());
}

TEST(Md5, Rfc1321TestSuite) {
  EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", Md5Hex(""));
  EXPECT_EQ("0cc175b9c0f1b6a831c399e269772661", Md5Hex("a"));
  EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", Md5Hex("abc"));
  EXPECT_EQ("f96b697d7cb7938d525a2f31aaf161d0", Md5Hex("message digest"));
  EXPECT_EQ("c3fcd3d76192e4007dfb496cca67e13b", Md5Hex("abcdefghijklmnopqrstuvwxyz"));
  EXPECT_EQ("d174ab98d277d9f5a5611c2c9f419d9f",
            Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"));
  EXPECT_EQ("57edf4a22be3c955ac49da2e2107b67a",
            Md5Hex("1234567890123456789012345678901234567890"
                   "1234567890123456789012345678901234567890"));
}

// Split points around the 64-byte block and the 56-byte padding limit are where
// a streaming hash goes wrong.
TEST(Md5, StreamedUpdatesEqualOneShot) {
  for (std::size_t size : {0u, 1u, 55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u, 4099u}) {
    const Bytes data = test::RandomBytes(size, static_cast<std::uint32_t>(size));
    const auto expected = Md5Digest(data.data(), data.size());
    for (std::size_t chunk : {1u, 3u, 55u, 64u, 100u}) {
      Md5 md5;
      for (std::size_t at = 0; at < size; at += chunk) {
        md5.Update(data.data() + at, std::min(chunk, size - at));
      }
      EXPECT_EQ(expected, md5.Finish()) << "size " << size << ", chunk " << chunk;
    }
  }
}

TEST(Md5, PaddingBoundariesMatchOpenssl) {
  if (std::system("command -v openssl >/dev/null 2>&1") != 0) GTEST_SKIP() << "no openssl";
  test::ScratchDir dir;
  for (std::size_t size : {55u, 56u, 63u, 64u, 65u, 1000u, 100000u}) {
    const Bytes data = test::RandomBytes(size, 7 + static_cast<std::uint32_t>(size));
    test::WriteFile(dir / "in", data);
    const std::string cmd = "openssl dgst -md5 -r '" + (dir / "in") + "'";
    FILE* pipe = ::popen(cmd.c_str(), "r");
    ASSERT_NE(nullptr, pipe);
    char line[128] = {};
    const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
    ASSERT_EQ(0, ::pclose(pipe));
    ASSERT_TRUE(got);
    const auto d = Md5Digest(data.data(), data.size());
    EXPECT_EQ(std::string(line, 32), Hex(d.data(), d.size())) << "size " << size;
  }
}

TEST(KeyMaterial, FiveDigestBytesThenElevenZeroBytes) {
  // MD5("abc") = 900150983c d24fb0d6963f7d28e17f72
  const auto key = DeriveRc4Key(Pw("abc"));
  EXPECT_EQ("900150983c0000000000000000000000", Hex(key.data(), key.size()));
  // Passwords are hashed as bytes, code page 936 double-byte characters included:
  // `printf '\xC3\xDC\xC2\xEB' | md5sum` gives d2293e30f0 c964c5f6242486aa8a483c.
  const auto gbkKey = DeriveRc4Key(Pw("\xC3\xDC\xC2\xEB"));
  EXPECT_EQ("d2293e30f00000000000000000000000", Hex(gbkKey.data(), gbkKey.size()));
}

}  // namespace
}  // namespace qz
