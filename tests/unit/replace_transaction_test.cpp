// Turning a file into its counterpart: replacing earlier outputs, refusing what
// cannot be done before anything is written.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <string>
#include <vector>

#include "fault_count.h"
#include "qz/file_cipher.h"
#include "qz/qz_format.h"
#include "test_password.h"
#include "test_support.h"
#include "transactions/replace_transaction.h"

namespace qz {
namespace {

using test::Bytes;

TransactionOptions Options() {
  TransactionOptions options;
  options.cipher.backend = &PortableBackend();
  options.deleteRetry.attempts = 3;
  options.deleteRetry.pause = std::chrono::milliseconds(1);
  return options;
}

class ReplaceTest : public ::testing::Test {
 protected:
  std::string plain() const { return dir_ / "a.txt"; }
  std::string qz() const { return dir_ / "a.txt.qz"; }

  test::ScratchDir dir_;
  const Bytes plainBytes_ = test::RandomBytes(3333, 1);
};

TEST_F(ReplaceTest, RoundTripLeavesOneFormAtATime) {
  test::WriteFile(plain(), plainBytes_);
  const EncryptResult enc = ReplaceWithEncrypted(plain(), Pw("pw"), Options());
  EXPECT_EQ(Outcome::kDone, enc.outcome);
  EXPECT_EQ(qz(), enc.destination);
  EXPECT_EQ(std::vector<std::string>{"a.txt.qz"}, dir_.List());
  EXPECT_TRUE(test::IsReadOnly(qz()));

  const DecryptResult dec = ReplaceWithDecrypted(qz(), Pw("pw"), Options());
  EXPECT_EQ(Outcome::kDone, dec.outcome);
  EXPECT_EQ(plain(), dec.destination);
  EXPECT_EQ(std::vector<std::string>{"a.txt"}, dir_.List());
  EXPECT_EQ(plainBytes_, test::ReadFile(plain()));
}

TEST_F(ReplaceTest, KeepSourceKeepsBoth) {
  test::WriteFile(plain(), plainBytes_);
  TransactionOptions options = Options();
  options.keepSource = true;
  EXPECT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain(), Pw("pw"), options).outcome);
  EXPECT_EQ((std::vector<std::string>{"a.txt", "a.txt.qz"}), dir_.List());
  EXPECT_EQ(plainBytes_, test::ReadFile(plain()));
}

TEST_F(ReplaceTest, EncryptReplacesReadOnlyQzOnlyWithConsent) {
  test::WriteFile(plain(), plainBytes_);
  const Bytes earlier = test::RandomBytes(100, 2);
  test::WriteFile(qz(), earlier);
  test::MakeReadOnly(qz());
  EncryptResult result = ReplaceWithEncrypted(plain(), Pw("pw"), Options());
  EXPECT_EQ(EncryptStep::kDestinationExists, result.step);
  EXPECT_EQ(earlier, test::ReadFile(qz()));
  EXPECT_EQ(plainBytes_, test::ReadFile(plain()));
  EXPECT_FALSE(dir_.HasTemporaryFile());

  TransactionOptions consent = Options();
  consent.replaceExisting = true;
  result = ReplaceWithEncrypted(plain(), Pw("pw"), consent);
  ASSERT_EQ(Outcome::kDone, result.outcome);
  EXPECT_EQ(plainBytes_.size() + kHeaderBytes, test::ReadFile(qz()).size());
  EXPECT_TRUE(test::IsReadOnly(qz()));
  EXPECT_EQ(DecryptStep::kOk, DecryptFileData(qz(), dir_ / "check", Pw("pw"), Options().cipher));
  EXPECT_EQ(plainBytes_, test::ReadFile(dir_ / "check"));
}

TEST_F(ReplaceTest, DecryptOverWritablePlainFileOnlyWithConsent) {
  test::WriteFile(plain(), plainBytes_);
  TransactionOptions keep = Options();
  keep.keepSource = true;
  ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain(), Pw("pw"), keep).outcome);
  const Bytes edited{1, 2, 3};
  test::WriteFile(plain(), edited);
  const Bytes qzBytes = test::ReadFile(qz());
  // A wrong password is told as such first; only then does the existing file count.
  const DecryptResult wrong = ReplaceWithDecrypted(qz(), Pw("not the password"), Options());
  EXPECT_TRUE(wrong.step == DecryptStep::kWrongPassword || wrong.step == DecryptStep::kNameMismatch);
  const DecryptResult refused = ReplaceWithDecrypted(qz(), Pw("pw"), Options());
  EXPECT_EQ(DecryptStep::kDestinationExists, refused.step);
  EXPECT_EQ(edited, test::ReadFile(plain()));
  EXPECT_EQ(qzBytes, test::ReadFile(qz()));
  EXPECT_FALSE(dir_.HasTemporaryFile());

  TransactionOptions consent = Options();
  consent.replaceExisting = true;
  EXPECT_EQ(Outcome::kDone, ReplaceWithDecrypted(qz(), Pw("pw"), consent).outcome);
  EXPECT_EQ(plainBytes_, test::ReadFile(plain()));
}

TEST_F(ReplaceTest, DecryptRefusesReadOnlyPlainFile) {
  test::WriteFile(plain(), plainBytes_);
  TransactionOptions keep = Options();
  keep.keepSource = true;
  ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain(), Pw("pw"), keep).outcome);
  const Bytes qzBytes = test::ReadFile(qz());
  const Bytes older = test::RandomBytes(50, 3);
  test::WriteFile(plain(), older);
  test::MakeReadOnly(plain());

  const DecryptResult result = ReplaceWithDecrypted(qz(), Pw("pw"), Options());
  EXPECT_EQ(Outcome::kFailed, result.outcome);
  EXPECT_EQ(DecryptStep::kCreateDest, result.step);
  EXPECT_EQ(older, test::ReadFile(plain()));
  EXPECT_TRUE(test::IsReadOnly(plain()));
  EXPECT_EQ(qzBytes, test::ReadFile(qz()));
  EXPECT_EQ((std::vector<std::string>{"a.txt", "a.txt.qz"}), dir_.List());
}

TEST_F(ReplaceTest, DirectoryInTheDestinationsPlace) {
  test::WriteFile(plain(), plainBytes_);
  ASSERT_EQ(0, ::mkdir(qz().c_str(), 0755));
  EncryptResult enc = ReplaceWithEncrypted(plain(), Pw("pw"), Options());
  EXPECT_EQ(EncryptStep::kCreateDest, enc.step);
  EXPECT_EQ(plainBytes_, test::ReadFile(plain()));
  EXPECT_TRUE(IsDirectory(qz()));
  ASSERT_EQ(0, ::rmdir(qz().c_str()));

  TransactionOptions keep = Options();
  keep.keepSource = true;
  ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain(), Pw("pw"), keep).outcome);
  ASSERT_TRUE(DeleteFileWithRetry(plain()));
  ASSERT_EQ(0, ::mkdir(plain().c_str(), 0755));
  const DecryptResult dec = ReplaceWithDecrypted(qz(), Pw("pw"), Options());
  EXPECT_EQ(DecryptStep::kCreateDest, dec.step);
  EXPECT_TRUE(IsDirectory(plain()));
  EXPECT_TRUE(PathExists(qz()));
  EXPECT_FALSE(dir_.HasTemporaryFile());
}

TEST_F(ReplaceTest, PasswordLengthLimit) {
  test::WriteFile(plain(), plainBytes_);
  const std::string tooLong(kMaxPasswordBytes + 1, 'p');
  EXPECT_EQ(EncryptStep::kPasswordTooLong, ReplaceWithEncrypted(plain(), Pw(tooLong), Options()).step);
  EXPECT_EQ(std::vector<std::string>{"a.txt"}, dir_.List());

  const std::string longest(kMaxPasswordBytes, 'p');
  ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain(), Pw(longest), Options()).outcome);
  EXPECT_EQ(DecryptStep::kPasswordTooLong, ReplaceWithDecrypted(qz(), Pw(tooLong), Options()).step);
  EXPECT_EQ(DecryptStep::kPasswordTooLong, CheckPassword(qz(), Pw(tooLong), Options().cipher));
  EXPECT_EQ(std::vector<std::string>{"a.txt.qz"}, dir_.List());
  ASSERT_EQ(Outcome::kDone, ReplaceWithDecrypted(qz(), Pw(longest), Options()).outcome);
  EXPECT_EQ(plainBytes_, test::ReadFile(plain()));
}

TEST_F(ReplaceTest, NameWithControlCharacterIsRefused) {
  const std::string source = dir_ / "a\x01.txt";
  test::WriteFile(source, plainBytes_);
  const EncryptResult result = ReplaceWithEncrypted(source, Pw("pw"), Options());
  EXPECT_EQ(EncryptStep::kNameNotStorable, result.step);
  EXPECT_EQ(std::vector<std::string>{"a\x01.txt"}, dir_.List());
}

// A 255-byte name fits, but its ".qz" name does not: refused before anything is read.
TEST_F(ReplaceTest, NameTooLongForItsQzIsRefusedUpFront) {
  const std::string name(253, 'n');
  test::WriteFile(dir_ / name, plainBytes_);
  const EncryptResult result = ReplaceWithEncrypted(dir_ / name, Pw("pw"), Options());
  EXPECT_EQ(EncryptStep::kPathTooLong, result.step);
  EXPECT_EQ(std::vector<std::string>{name}, dir_.List());
  EXPECT_EQ(plainBytes_, test::ReadFile(dir_ / name));
}

TEST_F(ReplaceTest, DecryptNeedsQzName) {
  test::WriteFile(plain(), plainBytes_);
  EXPECT_EQ(DecryptStep::kNotEncryptedName, ReplaceWithDecrypted(plain(), Pw("pw"), Options()).step);
  EXPECT_EQ(DecryptStep::kOpenSource, ReplaceWithDecrypted(dir_ / "missing.qz", Pw("pw"), Options()).step);
  EXPECT_EQ(EncryptStep::kOpenSource, ReplaceWithEncrypted(dir_ / "missing", Pw("pw"), Options()).step);
  EXPECT_EQ(std::vector<std::string>{"a.txt"}, dir_.List());
}

TEST(DeleteFileWithRetry, MissingFileCountsAsDeletedAtOnce) {
  test::ScratchDir dir;
  bool deleted = false;
  const int attempts = testsupport::PassesOf(FaultPoint::kDelete, [&] {
    deleted = DeleteFileWithRetry(dir / "missing");  // default policy: 50 x 1 s
  });
  EXPECT_TRUE(deleted);
  EXPECT_LE(attempts, 1) << "a missing file is not retried, so nothing waits";
}

TEST(DeleteFileWithRetry, RemovesReadOnlyFile) {
  test::ScratchDir dir;
  test::WriteFile(dir / "f", Bytes{1});
  test::MakeReadOnly(dir / "f");
  EXPECT_TRUE(DeleteFileWithRetry(dir / "f"));
  EXPECT_FALSE(PathExists(dir / "f"));
}

TEST(DeleteFileWithRetry, GivesUpAfterTheLastAttempt) {
  test::ScratchDir dir;
  // A non-empty folder cannot be unlinked.
  ASSERT_EQ(0, ::mkdir((dir / "d").c_str(), 0755));
  test::WriteFile(dir / "d/f", Bytes{1});
  RetryPolicy policy;
  policy.attempts = 3;
  policy.pause = std::chrono::milliseconds(20);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(DeleteFileWithRetry(dir / "d", policy));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
}

}  // namespace
}  // namespace qz
