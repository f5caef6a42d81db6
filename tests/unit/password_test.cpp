// Wrong passwords are caught from the decrypted header before anything is
// written; right passwords are never refused, whatever the name.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "file_cipher.h"
#include "key_material.h"
#include "rc4.h"
#include "test_support.h"

namespace qz {
namespace {

using test::Bytes;

CipherOptions Portable() {
  CipherOptions options;
  options.backend = &PortableBackend();
  return options;
}

std::string RandomPassword(std::mt19937& rng) {
  std::string pw(1 + rng() % 20, ' ');
  for (char& c : pw) c = static_cast<char>(0x21 + rng() % 0x5e);
  return pw;
}

class PasswordTest : public ::testing::Test {
 protected:
  // A ".qz" made with "right" for a plain file named `name`.
  std::string MakeQz(const std::string& name = "report.doc") {
    test::WriteFile(dir_ / name, test::RandomBytes(5000, 1));
    EXPECT_EQ(EncryptStep::kOk, EncryptFileData(dir_ / name, dir_ / (name + ".qz"), "right", Portable()));
    return dir_ / (name + ".qz");
  }
  // A wrong password that the header check catches for this file.
  std::string DetectedWrongPassword(const std::string& qz) {
    for (int i = 0;; ++i) {
      const std::string pw = "wrong" + std::to_string(i);
      if (CheckPassword(qz, pw, Portable()) == DecryptStep::kWrongPassword) return pw;
    }
  }
  test::ScratchDir dir_;
};

TEST_F(PasswordTest, WrongPasswordWritesNothing) {
  const std::string qz = MakeQz();
  const Bytes before = test::ReadFile(qz);
  const std::string wrong = DetectedWrongPassword(qz);
  const auto names = dir_.List();

  EXPECT_EQ(DecryptStep::kWrongPassword, DecryptFileData(qz, dir_ / "new.doc", wrong, Portable()));
  EXPECT_EQ(names, dir_.List()) << "no destination, no temporary file";
  EXPECT_EQ(before, test::ReadFile(qz));

  // A plain file of the destination's name stays as it was.
  const Bytes existing = test::RandomBytes(100, 2);
  test::WriteFile(dir_ / "report.doc", existing);
  EXPECT_EQ(DecryptStep::kWrongPassword, DecryptFileData(qz, dir_ / "report.doc", wrong, Portable()));
  EXPECT_EQ(existing, test::ReadFile(dir_ / "report.doc"));
  EXPECT_FALSE(dir_.HasTemporaryFile());
  EXPECT_EQ(before, test::ReadFile(qz));
}

TEST_F(PasswordTest, RightPasswordOpensAnyStorableName) {
  // Double-byte code page 936 names; 252 bytes is the longest a POSIX name can be
  // with ".qz" appended.
  const std::string gbk = "\xB1\xA8\xB8\xE6.doc";
  for (const std::string& name :
       {gbk, std::string(252, 'n'), std::string("a"), std::string("\xFF\x80 ~.txt")}) {
    const std::string qz = MakeQz(name);
    EXPECT_EQ(DecryptStep::kOk, CheckPassword(qz, "right", Portable())) << name.size();
    ASSERT_EQ(DecryptStep::kOk, DecryptFileData(qz, dir_ / "out", "right", Portable()));
    EXPECT_EQ(test::ReadFile(dir_ / name), test::ReadFile(dir_ / "out"));
  }
  // 255 bytes, the longest name the header keeps with its terminator.
  test::WriteFile(dir_ / "plain", test::RandomBytes(10, 3));
  CipherOptions options = Portable();
  options.headerName = std::string(254, '\xB1') + "x";
  ASSERT_EQ(EncryptStep::kOk, EncryptFileData(dir_ / "plain", dir_ / "plain.qz", "right", options));
  EXPECT_EQ(DecryptStep::kOk, CheckPassword(dir_ / "plain.qz", "right", Portable()));
}

TEST_F(PasswordTest, NameOfMoreThan256BytesIsCutWithoutTerminator) {
  // Longer than a POSIX file name may be, so it comes in as the header name.
  std::string name;
  for (int i = 0; i < 150; ++i) name += "\xB1\xA8";
  ASSERT_EQ(300u, name.size());
  test::WriteFile(dir_ / "plain", test::RandomBytes(10, 3));
  CipherOptions options = Portable();
  options.headerName = name;
  ASSERT_EQ(EncryptStep::kOk, EncryptFileData(dir_ / "plain", dir_ / "plain.qz", "right", options));

  Bytes qz = test::ReadFile(dir_ / "plain.qz");
  ASSERT_EQ(kHeaderBytes + 10, qz.size());
  const auto key = DeriveRc4Key("right");
  Rc4(key.data(), key.size()).Apply(qz.data(), kHeaderBytes);
  EXPECT_EQ(std::string(name, 0, kHeaderBytes), std::string(qz.begin(), qz.begin() + kHeaderBytes));
  EXPECT_EQ(DecryptStep::kOk, CheckPassword(dir_ / "plain.qz", "right", Portable()));
}

TEST_F(PasswordTest, RandomRightPasswordsAndNamesAreNeverRefused) {
  std::mt19937 rng(42);
  test::WriteFile(dir_ / "plain", Bytes(3));
  for (int i = 0; i < 300; ++i) {
    std::string name(1 + rng() % 300, ' ');
    for (char& c : name) {
      do {
        c = static_cast<char>(0x20 + rng() % 0xe0);
      } while (c == 0x7f);
    }
    const std::string pw = RandomPassword(rng);
    CipherOptions options = Portable();
    options.headerName = name;
    ASSERT_EQ(EncryptStep::kOk, EncryptFileData(dir_ / "plain", dir_ / "plain.qz", pw, options));
    ASSERT_EQ(DecryptStep::kOk, CheckPassword(dir_ / "plain.qz", pw, Portable()))
        << "password " << pw << ", name of " << name.size() << " bytes";
  }
}

TEST(PlausibleHeader, NameThenNulOrFullLength) {
  std::uint8_t header[kHeaderBytes];
  BuildHeader("a.txt", header);
  EXPECT_TRUE(IsPlausibleHeader(header));
  // Whatever follows the terminator does not count.
  for (std::size_t i = 6; i < kHeaderBytes; ++i) header[i] = static_cast<std::uint8_t>(i * 7);
  EXPECT_TRUE(IsPlausibleHeader(header));

  header[0] = 0;
  EXPECT_FALSE(IsPlausibleHeader(header)) << "empty name";
  BuildHeader("a\x01.txt", header);
  EXPECT_FALSE(IsPlausibleHeader(header)) << "control character";
  BuildHeader("a\x7F.txt", header);
  EXPECT_FALSE(IsPlausibleHeader(header)) << "DEL";

  std::memset(header, 'x', kHeaderBytes);
  EXPECT_TRUE(IsPlausibleHeader(header)) << "256 name bytes, no terminator";
  header[255] = 0;
  EXPECT_TRUE(IsPlausibleHeader(header)) << "255 name bytes and NUL";
  header[255] = 0x1f;
  EXPECT_FALSE(IsPlausibleHeader(header));
}

TEST(StorableName, ControlCharactersCannotBeStored) {
  EXPECT_TRUE(IsStorableName("\xB1\xA8\xB8\xE6.doc"));
  EXPECT_TRUE(IsStorableName(std::string(300, 'x')));
  EXPECT_FALSE(IsStorableName(""));
  EXPECT_FALSE(IsStorableName("a\x01.txt"));
  EXPECT_FALSE(IsStorableName("tab\t.txt"));
  EXPECT_FALSE(IsStorableName("del\x7F"));
  // Bytes past the 256 stored ones are never checked on decryption.
  EXPECT_TRUE(IsStorableName(std::string(256, 'x') + "\x01"));
}

// With no check value in the format, the header is all there is: a random wrong
// key turns it into a plausible name now and then.
TEST_F(PasswordTest, DetectionRateOfRandomWrongPasswords) {
  const std::string qz = MakeQz();
  std::mt19937 rng(20240601);
  const int kTries = 20000;
  int tried = 0, detected = 0;
  std::string slipped;
  while (tried < kTries) {
    const std::string pw = RandomPassword(rng);
    if (pw == "right") continue;
    ++tried;
    const DecryptStep step = CheckPassword(qz, pw, Portable());
    ASSERT_TRUE(step == DecryptStep::kOk || step == DecryptStep::kWrongPassword);
    if (step == DecryptStep::kWrongPassword) {
      ++detected;
    } else if (slipped.empty()) {
      slipped = pw;
    }
  }
  const double rate = 100.0 * detected / tried;
  std::printf("wrong passwords detected: %d of %d (%.2f%%)\n", detected, kTries, rate);
  RecordProperty("DetectionRatePercent", std::to_string(rate));
  EXPECT_GE(rate, 95.0);
  EXPECT_LE(rate, 99.0);

  // One that slips through decrypts to a file of the right length and other bytes.
  ASSERT_FALSE(slipped.empty());
  ASSERT_EQ(DecryptStep::kOk, DecryptFileData(qz, dir_ / "garbled", slipped, Portable()));
  const Bytes garbled = test::ReadFile(dir_ / "garbled");
  EXPECT_EQ(5000u, garbled.size());
  EXPECT_NE(test::ReadFile(dir_ / "report.doc"), garbled);
}

}  // namespace
}  // namespace qz
