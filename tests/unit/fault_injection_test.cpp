// Every failing file operation is named by its step, and no failure loses or
// damages a file: the source stays, an earlier destination stays, and no
// temporary output is left behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs/fault_injection.h"
#include "qz/file_cipher.h"
#include "test_password.h"
#include "test_support.h"
#include "transactions/replace_transaction.h"

namespace qz {
namespace {

using test::Bytes;

constexpr std::size_t kPlainBytes = 5500;  // five full blocks and a half one

TransactionOptions Options() {
  TransactionOptions options;
  options.cipher.backend = &PortableBackend();
  options.cipher.ioBufferBytes = 1000;
  options.deleteRetry.attempts = 3;
  options.deleteRetry.pause = std::chrono::milliseconds(1);
  options.cipher.workFactor = 10;  // strong outputs: a quick scrypt
  return options;
}

struct Fault {
  FaultPoint point;
  int nth;
  EncryptStep encrypt;
  DecryptStep decrypt;
};

// With 5500 bytes read 1000 at a time: reads 1-5 fill blocks, 6 gets 500 bytes, 7
// meets the end. Encryption writes the header first; decryption reads it first.
const std::vector<Fault> kFaults = {
    {FaultPoint::kOpenSource, 1, EncryptStep::kOpenSource, DecryptStep::kOpenSource},
    {FaultPoint::kCreateTemp, 1, EncryptStep::kCreateDest, DecryptStep::kCreateDest},
    {FaultPoint::kRead, 1, EncryptStep::kReadBlock, DecryptStep::kReadHeader},
    {FaultPoint::kRead, 2, EncryptStep::kReadBlock, DecryptStep::kReadBlock},
    {FaultPoint::kRead, 7, EncryptStep::kReadBlock, DecryptStep::kReadBlock},
    {FaultPoint::kWrite, 1, EncryptStep::kWriteHeader, DecryptStep::kWriteBlock},
    {FaultPoint::kWrite, 3, EncryptStep::kWriteBlock, DecryptStep::kWriteBlock},
    {FaultPoint::kWrite, 6, EncryptStep::kWriteBlock, DecryptStep::kWriteBlock},
    {FaultPoint::kFlush, 1, EncryptStep::kWriteBlock, DecryptStep::kWriteBlock},
    {FaultPoint::kClose, 1, EncryptStep::kWriteBlock, DecryptStep::kWriteBlock},
    {FaultPoint::kRename, 1, EncryptStep::kReplaceDest, DecryptStep::kReplaceDest},
    // Each step of the key derivation, after the temporary output exists.
    {FaultPoint::kAcquireContext, 1, EncryptStep::kAcquireContext, DecryptStep::kAcquireContext},
    {FaultPoint::kCreateHash, 1, EncryptStep::kCreateHash, DecryptStep::kCreateHash},
    {FaultPoint::kHashData, 1, EncryptStep::kHashData, DecryptStep::kHashData},
    {FaultPoint::kDeriveKey, 1, EncryptStep::kDeriveKey, DecryptStep::kDeriveKey},
};

std::string Describe(const Fault& f, bool destinationExisted) {
  return "fault point " + std::to_string(static_cast<int>(f.point)) + " call " +
         std::to_string(f.nth) + (destinationExisted ? ", destination existed" : ", no destination");
}

class FaultTest : public ::testing::Test {
 protected:
  void TearDown() override { testing::DisarmAllFaults(); }

  std::string plain() const { return dir_ / "a.txt"; }
  std::string qz() const { return dir_ / "a.txt.qz"; }

  test::ScratchDir dir_;
  const Bytes plainBytes_ = test::RandomBytes(kPlainBytes, 1);
};

TEST_F(FaultTest, EncryptFailuresKeepEveryFile) {
  for (bool existed : {false, true}) {
    for (const Fault& f : kFaults) {
      SCOPED_TRACE(Describe(f, existed));
      test::WriteFile(plain(), plainBytes_);
      const Bytes older = test::RandomBytes(700, 2);
      if (existed) {
        test::WriteFile(qz(), older);
        test::MakeReadOnly(qz());
      }
      TransactionOptions options = Options();
      options.replaceExisting = existed;
      testing::ArmFault(f.point, f.nth);
      const EncryptResult result = ReplaceWithEncrypted(plain(), Pw("pw"), options);
      testing::DisarmAllFaults();

      EXPECT_EQ(Outcome::kFailed, result.outcome);
      EXPECT_EQ(f.encrypt, result.step);
      EXPECT_EQ(plainBytes_, test::ReadFile(plain()));
      EXPECT_FALSE(dir_.HasTemporaryFile());
      if (existed) {
        EXPECT_EQ(older, test::ReadFile(qz()));
        EXPECT_TRUE(test::IsReadOnly(qz()));
        ASSERT_TRUE(DeleteFileWithRetry(qz()));
      } else {
        EXPECT_FALSE(PathExists(qz()));
      }
      EXPECT_EQ(std::vector<std::string>{"a.txt"}, dir_.List());
    }
  }
}

TEST_F(FaultTest, DecryptFailuresKeepEveryFile) {
  test::WriteFile(plain(), plainBytes_);
  TransactionOptions keep = Options();
  keep.keepSource = true;
  ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain(), Pw("pw"), keep).outcome);
  ASSERT_TRUE(DeleteFileWithRetry(plain()));
  const Bytes qzBytes = test::ReadFile(qz());

  for (bool existed : {false, true}) {
    for (const Fault& f : kFaults) {
      SCOPED_TRACE(Describe(f, existed));
      const Bytes older = test::RandomBytes(700, 3);
      if (existed) test::WriteFile(plain(), older);
      TransactionOptions options = Options();
      options.replaceExisting = existed;
      testing::ArmFault(f.point, f.nth);
      const DecryptResult result = ReplaceWithDecrypted(qz(), Pw("pw"), options);
      testing::DisarmAllFaults();

      EXPECT_EQ(Outcome::kFailed, result.outcome);
      EXPECT_EQ(f.decrypt, result.step);
      EXPECT_EQ(qzBytes, test::ReadFile(qz()));
      EXPECT_FALSE(dir_.HasTemporaryFile());
      if (existed) {
        EXPECT_EQ(older, test::ReadFile(plain()));
        ASSERT_TRUE(DeleteFileWithRetry(plain()));
      } else {
        EXPECT_FALSE(PathExists(plain()));
      }
      EXPECT_EQ(std::vector<std::string>{"a.txt.qz"}, dir_.List());
    }
  }
}

TEST_F(FaultTest, UndeletableSourceOnEncrypt) {
  TransactionOptions once = Options();
  once.deleteRetry.attempts = 1;

  // No earlier ".qz": the new one goes again, so the user keeps just the plain file.
  test::WriteFile(plain(), plainBytes_);
  testing::ArmFault(FaultPoint::kDelete, 1);
  EncryptResult result = ReplaceWithEncrypted(plain(), Pw("pw"), once);
  EXPECT_EQ(Outcome::kSourceNotDeleted, result.outcome);
  EXPECT_EQ(EncryptStep::kOk, result.step);
  EXPECT_FALSE(result.outputKept);
  EXPECT_EQ(plainBytes_, test::ReadFile(plain()));
  EXPECT_EQ(std::vector<std::string>{"a.txt"}, dir_.List());

  // The new one cannot be removed either: it is reported as still there.
  testing::ArmFault(FaultPoint::kDelete, 1, 2);
  result = ReplaceWithEncrypted(plain(), Pw("pw"), once);
  EXPECT_EQ(Outcome::kSourceNotDeleted, result.outcome);
  EXPECT_TRUE(result.outputKept);
  EXPECT_EQ((std::vector<std::string>{"a.txt", "a.txt.qz"}), dir_.List());
  testing::DisarmAllFaults();
  ASSERT_TRUE(DeleteFileWithRetry(qz()));

  // An earlier ".qz" was replaced already; the new one stays in its place.
  test::WriteFile(qz(), test::RandomBytes(700, 2));
  test::MakeReadOnly(qz());
  once.replaceExisting = true;
  testing::ArmFault(FaultPoint::kDelete, 1);
  result = ReplaceWithEncrypted(plain(), Pw("pw"), once);
  EXPECT_EQ(Outcome::kSourceNotDeleted, result.outcome);
  EXPECT_TRUE(result.outputKept);
  EXPECT_EQ(plainBytes_, test::ReadFile(plain()));
  testing::DisarmAllFaults();
  ASSERT_EQ(DecryptStep::kOk, DecryptFileData(qz(), dir_ / "check", Pw("pw"), once.cipher));
  EXPECT_EQ(plainBytes_, test::ReadFile(dir_ / "check"));
  EXPECT_FALSE(dir_.HasTemporaryFile());
}

TEST_F(FaultTest, UndeletableSourceOnDecrypt) {
  test::WriteFile(plain(), plainBytes_);
  TransactionOptions keep = Options();
  keep.keepSource = true;
  ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain(), Pw("pw"), keep).outcome);
  ASSERT_TRUE(DeleteFileWithRetry(plain()));
  const Bytes qzBytes = test::ReadFile(qz());
  TransactionOptions once = Options();
  once.deleteRetry.attempts = 1;

  testing::ArmFault(FaultPoint::kDelete, 1);
  DecryptResult result = ReplaceWithDecrypted(qz(), Pw("pw"), once);
  EXPECT_EQ(Outcome::kSourceNotDeleted, result.outcome);
  EXPECT_FALSE(result.outputKept);
  EXPECT_EQ(qzBytes, test::ReadFile(qz()));
  EXPECT_EQ(std::vector<std::string>{"a.txt.qz"}, dir_.List());

  test::WriteFile(plain(), test::RandomBytes(700, 3));
  once.replaceExisting = true;
  testing::ArmFault(FaultPoint::kDelete, 1);
  result = ReplaceWithDecrypted(qz(), Pw("pw"), once);
  EXPECT_EQ(Outcome::kSourceNotDeleted, result.outcome);
  EXPECT_TRUE(result.outputKept);
  EXPECT_EQ(qzBytes, test::ReadFile(qz()));
  EXPECT_EQ(plainBytes_, test::ReadFile(plain()));
  EXPECT_FALSE(dir_.HasTemporaryFile());
}

TEST_F(FaultTest, DeleteSucceedsOnALaterAttempt) {
  test::WriteFile(plain(), plainBytes_);
  TransactionOptions options = Options();
  testing::ArmFault(FaultPoint::kDelete, 1);
  const EncryptResult result = ReplaceWithEncrypted(plain(), Pw("pw"), options);
  EXPECT_EQ(Outcome::kDone, result.outcome);
  EXPECT_EQ(std::vector<std::string>{"a.txt.qz"}, dir_.List());
}

}  // namespace
}  // namespace qz
