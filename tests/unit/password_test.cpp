// Wrong passwords are caught from the decrypted header before anything is
// written; right passwords are never refused, whatever the name.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "qz/file_cipher.h"
#include "qz/header.h"
#include "qz/key_material.h"
#include "qz/rc4.h"
#include "test_password.h"
#include "test_support.h"
#include "transactions/replace_transaction.h"

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
    EXPECT_EQ(EncryptStep::kOk, EncryptFileData(dir_ / name, dir_ / (name + ".qz"), Pw("right"), Portable()));
    return dir_ / (name + ".qz");
  }
  // A wrong password that the header check catches for this file.
  std::string DetectedWrongPassword(const std::string& qz) {
    for (int i = 0;; ++i) {
      const std::string pw = "wrong" + std::to_string(i);
      if (CheckPassword(qz, Pw(pw), Portable()) == DecryptStep::kWrongPassword) return pw;
    }
  }
  test::ScratchDir dir_;
};

TEST_F(PasswordTest, WrongPasswordWritesNothing) {
  const std::string qz = MakeQz();
  const Bytes before = test::ReadFile(qz);
  const std::string wrong = DetectedWrongPassword(qz);
  const auto names = dir_.List();

  EXPECT_EQ(DecryptStep::kWrongPassword, DecryptFileData(qz, dir_ / "new.doc", Pw(wrong), Portable()));
  EXPECT_EQ(names, dir_.List()) << "no destination, no temporary file";
  EXPECT_EQ(before, test::ReadFile(qz));

  // A plain file of the destination's name stays as it was.
  const Bytes existing = test::RandomBytes(100, 2);
  test::WriteFile(dir_ / "report.doc", existing);
  EXPECT_EQ(DecryptStep::kWrongPassword, DecryptFileData(qz, dir_ / "report.doc", Pw(wrong), Portable()));
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
    EXPECT_EQ(DecryptStep::kOk, CheckPassword(qz, Pw("right"), Portable())) << name.size();
    ASSERT_EQ(DecryptStep::kOk, DecryptFileData(qz, dir_ / "out", Pw("right"), Portable()));
    EXPECT_EQ(test::ReadFile(dir_ / name), test::ReadFile(dir_ / "out"));
  }
  // 255 bytes, the longest name the header keeps with its terminator.
  test::WriteFile(dir_ / "plain", test::RandomBytes(10, 3));
  CipherOptions options = Portable();
  options.headerName = std::string(254, '\xB1') + "x";
  ASSERT_EQ(EncryptStep::kOk, EncryptFileData(dir_ / "plain", dir_ / "plain.qz", Pw("right"), options));
  CipherOptions check = Portable();
  check.expectedName = options.headerName;
  EXPECT_EQ(DecryptStep::kOk, CheckPassword(dir_ / "plain.qz", Pw("right"), check));
}

TEST_F(PasswordTest, NameOfMoreThan256BytesIsCutWithoutTerminator) {
  // Longer than a POSIX file name may be, so it comes in as the header name.
  std::string name;
  for (int i = 0; i < 150; ++i) name += "\xB1\xA8";
  ASSERT_EQ(300u, name.size());
  test::WriteFile(dir_ / "plain", test::RandomBytes(10, 3));
  CipherOptions options = Portable();
  options.headerName = name;
  ASSERT_EQ(EncryptStep::kOk, EncryptFileData(dir_ / "plain", dir_ / "plain.qz", Pw("right"), options));

  Bytes qz = test::ReadFile(dir_ / "plain.qz");
  ASSERT_EQ(kHeaderBytes + 10, qz.size());
  const auto key = DeriveRc4Key(Pw("right"));
  Rc4(key.data(), key.size()).Apply(qz.data(), kHeaderBytes);
  EXPECT_EQ(std::string(name, 0, kHeaderBytes), std::string(qz.begin(), qz.begin() + kHeaderBytes));
  CipherOptions check = Portable();
  check.expectedName = name;  // compared over the 256 bytes the header keeps
  EXPECT_EQ(DecryptStep::kOk, CheckPassword(dir_ / "plain.qz", Pw("right"), check));
}

TEST_F(PasswordTest, RandomRightPasswordsAndNamesAreNeverRefused) {
  std::mt19937 rng(42);
  test::WriteFile(dir_ / "plain", Bytes(3));
  for (int i = 0; i < 300; ++i) {
    std::string name(1 + rng() % 300, ' ');
    for (char& c : name) c = static_cast<char>(0x20 + rng() % 0xe0);
    const std::string pw = RandomPassword(rng);
    CipherOptions options = Portable();
    options.headerName = name;
    ASSERT_EQ(EncryptStep::kOk, EncryptFileData(dir_ / "plain", dir_ / "plain.qz", Pw(pw), options));
    options.expectedName = name;
    ASSERT_EQ(DecryptStep::kOk, CheckPassword(dir_ / "plain.qz", Pw(pw), options))
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

  // An older writer stored empty names; DEL is a legal byte of a name.
  header[0] = 0;
  EXPECT_TRUE(IsPlausibleHeader(header)) << "empty name";
  BuildHeader("a\x01.txt", header);
  EXPECT_FALSE(IsPlausibleHeader(header)) << "control character";
  BuildHeader("a\x7F.txt", header);
  EXPECT_TRUE(IsPlausibleHeader(header)) << "DEL";

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
  EXPECT_TRUE(IsStorableName("del\x7F"));
  // Bytes past the 256 stored ones are never checked on decryption.
  EXPECT_TRUE(IsStorableName(std::string(256, 'x') + "\x01"));
}

// With no check value in the format, the header is all there is: a random wrong key
// turns it into a plausible name now and then, and names of one length fall together.
// Such a name is never this file's own, so it never decrypts without consent, and the
// ".qz" is never touched.
TEST_F(PasswordTest, RandomWrongPasswordsNeverCostAFile) {
  std::vector<std::string> qzs;
  std::vector<Bytes> before;
  for (int i = 0; i < 100; ++i) {
    char name[16];
    std::snprintf(name, sizeof(name), "f%03d.dat", i);
    test::WriteFile(dir_ / name, test::RandomBytes(300, i));
    ASSERT_EQ(EncryptStep::kOk, EncryptFileData(dir_ / name, dir_ / (std::string(name) + ".qz"),
                                                Pw("right"), Portable()));
    std::remove((dir_ / name).c_str());
    qzs.push_back(dir_ / (std::string(name) + ".qz"));
  }
  // A file that only looks like a ".qz".
  test::WriteFile(dir_ / "lookalike.qz", test::RandomBytes(4000, 999));
  qzs.push_back(dir_ / "lookalike.qz");
  for (const std::string& qz : qzs) before.push_back(test::ReadFile(qz));
  const auto names = dir_.List();

  std::mt19937 rng(20240601);
  const int kTries = 20000;
  int tried = 0, wrong = 0, otherName = 0;
  std::string slipped;
  TransactionOptions options;
  options.cipher = Portable();
  while (tried < kTries) {
    const std::string pw = RandomPassword(rng);
    if (pw == "right") continue;
    const DecryptResult result = ReplaceWithDecrypted(qzs[tried++ % qzs.size()], Pw(pw), options);
    ASSERT_EQ(Outcome::kFailed, result.outcome) << pw;
    if (result.step == DecryptStep::kWrongPassword) {
      ++wrong;
    } else {
      ASSERT_EQ(DecryptStep::kNameMismatch, result.step) << pw;
      ++otherName;
      if (slipped.empty()) slipped = pw;
    }
  }
  std::printf("%d random wrong passwords: %d wrong (%.2f%%), %d other name (%.2f%%), 0 decrypted\n",
              tried, wrong, 100.0 * wrong / tried, otherName, 100.0 * otherName / tried);
  RecordProperty("OtherNamePercent", std::to_string(100.0 * otherName / tried));

  // One that slipped through the plausibility test meets a whole folder of similar names.
  ASSERT_FALSE(slipped.empty());
  for (const std::string& qz : qzs) {
    const DecryptStep step = ReplaceWithDecrypted(qz, Pw(slipped), options).step;
    EXPECT_TRUE(step == DecryptStep::kWrongPassword || step == DecryptStep::kNameMismatch) << qz;
  }
  EXPECT_EQ(names, dir_.List());
  for (std::size_t i = 0; i < qzs.size(); ++i) EXPECT_EQ(before[i], test::ReadFile(qzs[i])) << qzs[i];
}

// A renamed file still opens, with consent, and keeps its ".qz"; the stored name is told.
TEST_F(PasswordTest, RenamedFileOpensOnlyWithConsentAndKeepsItsQz) {
  const std::string qz = MakeQz("report.doc");
  std::remove((dir_ / "report.doc").c_str());
  ASSERT_EQ(0, std::rename(qz.c_str(), (dir_ / "REPORT.DOC.qz").c_str()));
  EXPECT_EQ(DecryptStep::kOk, CheckPassword(dir_ / "REPORT.DOC.qz", Pw("right"), Portable()))
      << "ASCII case does not count";
  ASSERT_EQ(0, std::rename((dir_ / "REPORT.DOC.qz").c_str(), (dir_ / "old.doc.qz").c_str()));
  const Bytes qzBytes = test::ReadFile(dir_ / "old.doc.qz");

  TransactionOptions options;
  options.cipher = Portable();
  DecryptResult result = ReplaceWithDecrypted(dir_ / "old.doc.qz", Pw("right"), options);
  EXPECT_EQ(DecryptStep::kNameMismatch, result.step);
  EXPECT_EQ("report.doc", result.name.stored);
  EXPECT_EQ(std::vector<std::string>{"old.doc.qz"}, dir_.List());

  options.cipher.acceptOtherName = true;
  result = ReplaceWithDecrypted(dir_ / "old.doc.qz", Pw("right"), options);
  EXPECT_EQ(Outcome::kDone, result.outcome);
  EXPECT_TRUE(result.sourceKept);
  EXPECT_EQ((std::vector<std::string>{"old.doc", "old.doc.qz"}), dir_.List());
  EXPECT_EQ(test::RandomBytes(5000, 1), test::ReadFile(dir_ / "old.doc"));
  EXPECT_EQ(qzBytes, test::ReadFile(dir_ / "old.doc.qz"));
}

// Files an older writer made: an empty stored name (it cut names at a 0x5C byte, which
// can be a trail byte in code page 936) and names holding DEL open with their password.
TEST_F(PasswordTest, OlderWritersNamesOpenWithTheRightPassword) {
  const Bytes plain = test::RandomBytes(1200, 5);
  const auto key = DeriveRc4Key(Pw("right"));
  Bytes qz(kHeaderBytes, 0);  // the empty name
  Rc4(key.data(), key.size()).Apply(qz.data(), kHeaderBytes);
  Bytes body = plain;
  Rc4(key.data(), key.size()).Apply(body.data(), body.size());
  qz.insert(qz.end(), body.begin(), body.end());
  const std::string cut = dir_ / "x\x95\x5C.qz";  // "x" and a character ending in 0x5C
  test::WriteFile(cut, qz);
  EXPECT_EQ(DecryptStep::kOk, CheckPassword(cut, Pw("right"), Portable()));
  CipherOptions other = Portable();
  other.expectedName = "another";
  EXPECT_EQ(DecryptStep::kNameMismatch, CheckPassword(cut, Pw("right"), other));

  const std::string del = MakeQz("del\x7F.txt");
  TransactionOptions options;
  options.cipher = Portable();
  std::remove((dir_ / "del\x7F.txt").c_str());
  ASSERT_EQ(Outcome::kDone, ReplaceWithDecrypted(del, Pw("right"), options).outcome);
  EXPECT_EQ(test::RandomBytes(5000, 1), test::ReadFile(dir_ / "del\x7F.txt"));
}

}  // namespace
}  // namespace qz
