// Known answers for the primitives strong files rest on, through the engine's own
// wrappers: scrypt (RFC 7914 section 12), ChaCha20-Poly1305 (RFC 8439 section 2.8.2),
// HKDF-SHA-256 (RFC 5869 cases 1 to 3), and the strictness of the base64 decoder.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "age/base64_text.h"
#include "crypto/chacha20_poly1305.h"
#include "crypto/hkdf_sha256.h"
#include "crypto/scrypt_kdf.h"

namespace qz {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromHex(const std::string& hex) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

Bytes Range(int from, int to) {  // from..to-1
  Bytes out;
  for (int b = from; b < to; ++b) out.push_back(static_cast<std::uint8_t>(b));
  return out;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(CryptoKnownAnswers, ScryptRfc7914) {
  struct Case {
    std::string password, salt;
    int logN;
    std::uint32_t r, p;
    std::string hex;
  };
  const Case cases[] = {
      {"", "", 4, 1, 1,
       "77d6576238657b203b19ca42c18a0497f16b4844e3074ae8dfdffa3fede21442"
       "fcd0069ded0948f8326a753a0fc81f17e8d3e0fb2e0d3628cf35e20c38d18906"},
      {"password", "NaCl", 10, 8, 16,
       "fdbabe1c9d3472007856e7190d01e9fe7c6ad7cbc8237830e77376634b373162"
       "2eaf30d92e22a3886ff109279d9830dac727afb94a83ee6d8360cbdfa2cc0640"},
      {"pleaseletmein", "SodiumChloride", 14, 8, 1,
       "7023bdcb3afd7348461c06cd81fd38ebfda8fbba904f8e3ea9b543f6545da1f2"
       "d5432955613f0fcf62d49705242a9af9e61e85dc0d651e40dfcf017b45575887"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.password);
    const Bytes pw = Text(c.password), salt = Text(c.salt);
    Bytes out(64);
    ASSERT_TRUE(Scrypt(pw.data(), pw.size(), salt.data(), salt.size(), c.logN, c.r, c.p,
                       out.data(), out.size()));
    EXPECT_EQ(FromHex(c.hex), out);
  }
  Bytes out(32);
  EXPECT_FALSE(Scrypt(nullptr, 0, nullptr, 0, 0, 8, 1, out.data(), out.size()));
}

TEST(CryptoKnownAnswers, ChaCha20Poly1305Rfc8439) {
  const Bytes key = Range(0x80, 0xa0);
  const Bytes nonce = {0x07, 0x00, 0x00, 0x00, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47};
  const Bytes ad = FromHex("50515253c0c1c2c3c4c5c6c7");
  const Bytes plain = Text(
      "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the "
      "future, sunscreen would be it.");
  const Bytes expected = FromHex(
      "d31a8d34648e60db7b86afbc53ef7ec2a4aded51296e08fea9e2b5a736ee62d6"
      "3dbea45e8ca9671282fafb69da92728b1a71de0a9e060b2905d6a5b67ecd3b36"
      "92ddbd7f2d778b8c9803aee328091b58fab324e4fad675945585808b4831d7bc"
      "3ff4def08e4b7a9de576d26586cec64b6116"
      "1ae10b594f09e26a7e902ecbd0600691");
  Bytes sealed(plain.size() + kAeadTagBytes);
  ASSERT_TRUE(AeadSeal(key.data(), nonce.data(), ad.data(), ad.size(), plain.data(), plain.size(),
                       sealed.data()));
  EXPECT_EQ(expected, sealed);

  Bytes opened(plain.size());
  ASSERT_TRUE(AeadOpen(key.data(), nonce.data(), ad.data(), ad.size(), sealed.data(),
                       sealed.size(), opened.data()));
  EXPECT_EQ(plain, opened);
  // Any changed byte, of the ciphertext, the tag or the associated data, is refused.
  for (std::size_t i : {std::size_t{0}, plain.size() - 1, sealed.size() - 1}) {
    Bytes bad = sealed;
    bad[i] ^= 0x01;
    EXPECT_FALSE(AeadOpen(key.data(), nonce.data(), ad.data(), ad.size(), bad.data(), bad.size(),
                          opened.data()))
        << "byte " << i;
  }
  EXPECT_FALSE(AeadOpen(key.data(), nonce.data(), ad.data(), ad.size() - 1, sealed.data(),
                        sealed.size(), opened.data()));
  EXPECT_FALSE(AeadOpen(key.data(), nonce.data(), nullptr, 0, sealed.data(), kAeadTagBytes - 1,
                        opened.data()));
}

TEST(CryptoKnownAnswers, HkdfSha256Rfc5869) {
  struct Case {
    Bytes ikm, salt, info;
    std::string okm;
  };
  const Case cases[] = {
      {Bytes(22, 0x0b), Range(0x00, 0x0d), Range(0xf0, 0xfa),
       "3cb25f25faacd57a90434f64d0362f2a2d2d0a90cf1a5a4c5db02d56ecc4c5bf34007208d5b887185865"},
      {Range(0x00, 0x50), Range(0x60, 0xb0), Range(0xb0, 0x100),
       "b11e398dc80327a1c8e7f78c596a49344f012eda2d4efad8a050cc4c19afa97c"
       "59045a99cac7827271cb41c65e590e09da3275600c2f09b8367793a9aca3db71"
       "cc30c58179ec3e87c14c01d5c1f3434f1d87"},
      {Bytes(22, 0x0b), Bytes(), Bytes(),
       "8da4e775a563c18f715f802a063c5a31b8a11f5c5ee1879ec3454e5f3c738d2d9d201395faa4b61a96c8"},
  };
  for (const Case& c : cases) {
    const Bytes expected = FromHex(c.okm);
    Bytes out(expected.size());
    ASSERT_TRUE(HkdfSha256(c.ikm.data(), c.ikm.size(), c.salt.data(), c.salt.size(),
                           c.info.data(), c.info.size(), out.data(), out.size()));
    EXPECT_EQ(expected, out);
  }
  Bytes tooLong(255 * 32 + 1);
  EXPECT_FALSE(HkdfSha256(nullptr, 0, nullptr, 0, nullptr, 0, tooLong.data(), tooLong.size()));
}

TEST(CryptoKnownAnswers, Base64IsCanonicalBothWays) {
  const Bytes data = Text("age-key");
  EXPECT_EQ("YWdlLWtleQ", EncodeBase64(data.data(), data.size(), false));
  EXPECT_EQ("YWdlLWtleQ==", EncodeBase64(data.data(), data.size(), true));
  EXPECT_EQ("", EncodeBase64(data.data(), 0, false));

  struct Case {
    const char* text;
    bool padded;
    bool valid;
  };
  const Case cases[] = {
      {"YWdlLWtleQ", false, true},   {"YWdlLWtleQ==", true, true}, {"", false, true},
      {"YWdlLWtleR", false, false},  // stray bits in the last character
      {"YWdlLWtleR==", true, false}, {"YWdlLWtleQ==", false, false},  // padding where none belongs
      {"YWdlLWtleQ", true, false},   // padding missing
      {"YWdlLWtleQ=", true, false},  {"YWdlLWtle", false, false},     // a lone last character
      {"YWdl LWtleQ", false, false}, {"YWdlLWtleQ\n", false, false},
      {"YWdlLW-_eQ", false, false},  // the URL-safe alphabet
      {"YW=lLWtleQ==", true, false},
  };
  for (const Case& c : cases) {
    Bytes out(16);
    std::size_t got = 99;
    const std::string text = c.text;
    EXPECT_EQ(c.valid, DecodeBase64(text.data(), text.size(), c.padded, out.data(), out.size(), &got))
        << "\"" << text << "\" padded " << c.padded;
    if (c.valid) {
      out.resize(got);
      EXPECT_EQ(text.empty() ? Bytes() : data, out) << text;
    }
  }
  Bytes small(6);
  std::size_t got = 0;
  EXPECT_FALSE(DecodeBase64("YWdlLWtleQ", 10, false, small.data(), small.size(), &got));
}

}  // namespace
}  // namespace qz
