// Strong files as the program and qzcrypt use them: the replace transactions, and the
// upgrade from ".qz", whose ".qz" goes only after the new file was read back intact.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "age/strong_file.h"
#include "fs/fault_injection.h"
#include "fs/file_system.h"
#include "test_password.h"
#include "test_support.h"
#include "transactions/replace_transaction.h"

namespace qz {
namespace {

using test::Bytes;

constexpr char kQzPassword[] = "old secret";
constexpr char kStrong[] = "strong \xE5\xAF\x86\xE7\xA0\x81";  // UTF-8

TransactionOptions Options() {
  TransactionOptions options;
  options.cipher.backend = &PortableBackend();
  options.cipher.workFactor = 10;
  options.deleteRetry.attempts = 3;
  options.deleteRetry.pause = std::chrono::milliseconds(1);
  return options;
}

// Lists the folder at both ends of each key step: a decryption creates nothing meanwhile.
struct KeyStepWatch final : ProgressSink {
  explicit KeyStepWatch(const test::ScratchDir& folder) : dir(folder) {}
  void Begin(std::uint64_t) override {}
  void Advance(std::uint64_t) override {}
  void End() override {}
  void KeyStepBegan() override { KeyStepEnded(); }
  void KeyStepEnded() override { for (const std::string& name : dir.List()) seen.push_back(name); }
  const test::ScratchDir& dir;
  std::vector<std::string> seen;
};

class StrongReplaceTest : public ::testing::Test {
 protected:
  void TearDown() override { testing::DisarmAllFaults(); }

  // a.txt.qz holding plain_.
  void MakeQz(std::size_t size = 5000) {
    plain_ = test::RandomBytes(size, 8);
    test::WriteFile(dir_ / "a.txt", plain_);
    ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(dir_ / "a.txt", Pw(kQzPassword), Options()).outcome);
    qzBytes_ = test::ReadFile(dir_ / "a.txt.qz");
  }
  void ExpectQzUntouched() {
    EXPECT_EQ(std::vector<std::string>{"a.txt.qz"}, dir_.List());
    EXPECT_EQ(qzBytes_, test::ReadFile(dir_ / "a.txt.qz"));
  }
  Bytes StrongPlain(const std::string& path) {
    CipherOptions options;
    EXPECT_EQ(DecryptStep::kOk, DecryptStrongFile(path, dir_ / "check", Pw(kStrong), options));
    const Bytes plain = test::ReadFile(dir_ / "check");
    DeleteFileWithRetry(dir_ / "check");
    return plain;
  }

  test::ScratchDir dir_;
  Bytes plain_;
  Bytes qzBytes_;
};

TEST_F(StrongReplaceTest, EncryptAndDecryptLeaveOneFormAtATime) {
  plain_ = test::RandomBytes(70000, 2);
  test::WriteFile(dir_ / "a.txt", plain_);
  const EncryptResult enc = ReplaceWithStrongEncrypted(dir_ / "a.txt", Pw(kStrong), Options());
  ASSERT_EQ(Outcome::kDone, enc.outcome);
  EXPECT_EQ(dir_ / "a.txt.age", enc.destination);
  EXPECT_EQ(std::vector<std::string>{"a.txt.age"}, dir_.List());
  EXPECT_TRUE(test::IsReadOnly(dir_ / "a.txt.age"));
  const Bytes strong = test::ReadFile(dir_ / "a.txt.age");

  KeyStepWatch watch(dir_);
  TransactionOptions watched = Options();
  watched.cipher.progress = &watch;
  const DecryptResult wrong = ReplaceWithStrongDecrypted(dir_ / "a.txt.age", Pw("strong"), watched);
  EXPECT_EQ(DecryptStep::kWrongPassword, wrong.step);
  EXPECT_EQ(Outcome::kFailed, wrong.outcome);
  EXPECT_EQ(std::vector<std::string>{"a.txt.age"}, dir_.List());
  EXPECT_EQ(strong, test::ReadFile(dir_ / "a.txt.age"));

  // The extension in any case; the output is named without it.
  ASSERT_EQ(0, std::rename((dir_ / "a.txt.age").c_str(), (dir_ / "A.TXT.AGE").c_str()));
  const DecryptResult dec = ReplaceWithStrongDecrypted(dir_ / "A.TXT.AGE", Pw(kStrong), watched);
  EXPECT_EQ((std::vector<std::string>{"a.txt.age", "a.txt.age", "A.TXT.AGE", "A.TXT.AGE"}), watch.seen);
  ASSERT_EQ(Outcome::kDone, dec.outcome);
  EXPECT_EQ(dir_ / "A.TXT", dec.destination);
  EXPECT_FALSE(dec.sourceKept);
  EXPECT_EQ(std::vector<std::string>{"A.TXT"}, dir_.List());
  EXPECT_EQ(plain_, test::ReadFile(dir_ / "A.TXT"));
  EXPECT_FALSE(test::IsReadOnly(dir_ / "A.TXT"));

  EXPECT_EQ(DecryptStep::kNotEncryptedName, ReplaceWithStrongDecrypted(dir_ / "A.TXT", Pw(kStrong), Options()).step);
  EXPECT_EQ(std::vector<std::string>{"A.TXT"}, dir_.List());
}

TEST_F(StrongReplaceTest, FailuresKeepTheSourceAndLeaveNothing) {
  plain_ = test::RandomBytes(3 * 65536 + 5, 3);
  test::WriteFile(dir_ / "a.txt", plain_);
  struct Fault {
    FaultPoint point;
    int nth;
    EncryptStep step;
  };
  // Writes: 1 room for the header, 2 the nonce, 3 the chunks (from the write-behind
  // thread), 4 the header once scrypt is done.
  const Fault encrypting[] = {
      {FaultPoint::kWrite, 1, EncryptStep::kWriteHeader}, {FaultPoint::kWrite, 3, EncryptStep::kWriteBlock},
      {FaultPoint::kWrite, 4, EncryptStep::kWriteHeader}, {FaultPoint::kRead, 1, EncryptStep::kReadBlock},
      {FaultPoint::kFlush, 1, EncryptStep::kWriteBlock},  {FaultPoint::kRename, 1, EncryptStep::kReplaceDest},
  };
  for (const Fault& fault : encrypting) {
    SCOPED_TRACE("encrypting, fault point " + std::to_string(static_cast<int>(fault.point)) + " call " +
                 std::to_string(fault.nth));
    testing::ArmFault(fault.point, fault.nth);
    const EncryptResult result = ReplaceWithStrongEncrypted(dir_ / "a.txt", Pw(kStrong), Options());
    testing::DisarmAllFaults();
    EXPECT_EQ(fault.step, result.step);
    EXPECT_EQ(std::vector<std::string>{"a.txt"}, dir_.List());
    EXPECT_EQ(plain_, test::ReadFile(dir_ / "a.txt"));
  }

  TransactionOptions keep = Options();
  keep.keepSource = true;
  ASSERT_EQ(Outcome::kDone, ReplaceWithStrongEncrypted(dir_ / "a.txt", Pw(kStrong), keep).outcome);
  DeleteFileWithRetry(dir_ / "a.txt");
  const Bytes strong = test::ReadFile(dir_ / "a.txt.age");
  for (const FaultPoint point : {FaultPoint::kWrite, FaultPoint::kFlush, FaultPoint::kRename}) {
    SCOPED_TRACE("decrypting, fault point " + std::to_string(static_cast<int>(point)));
    testing::ArmFault(point, 1);
    const DecryptResult result = ReplaceWithStrongDecrypted(dir_ / "a.txt.age", Pw(kStrong), Options());
    testing::DisarmAllFaults();
    EXPECT_EQ(point == FaultPoint::kRename ? DecryptStep::kReplaceDest : DecryptStep::kWriteBlock, result.step);
    EXPECT_EQ(std::vector<std::string>{"a.txt.age"}, dir_.List());
    EXPECT_EQ(strong, test::ReadFile(dir_ / "a.txt.age"));
  }
}

TEST_F(StrongReplaceTest, UpgradeReplacesQzWithAVerifiedStrongFile) {
  // More than a batch of chunks, with a short last one.
  MakeQz(2 * 32 * 65536 + 123);
  const DecryptResult up = ReplaceWithUpgraded(dir_ / "a.txt.qz", Pw(kQzPassword), Pw(kStrong), Options());
  ASSERT_EQ(Outcome::kDone, up.outcome);
  EXPECT_EQ(dir_ / "a.txt.age", up.destination);
  EXPECT_TRUE(up.name.matches);
  EXPECT_EQ("a.txt", up.name.stored);
  EXPECT_FALSE(up.sourceKept);
  EXPECT_EQ(std::vector<std::string>{"a.txt.age"}, dir_.List());
  EXPECT_TRUE(test::IsReadOnly(dir_ / "a.txt.age"));
  EXPECT_EQ(plain_, StrongPlain(dir_ / "a.txt.age"));
  EXPECT_FALSE(dir_.HasTemporaryFile());
}

TEST_F(StrongReplaceTest, UpgradeRefusalsKeepTheQz) {
  MakeQz();
  const DecryptResult wrong = ReplaceWithUpgraded(dir_ / "a.txt.qz", Pw("not it"), Pw(kStrong), Options());
  EXPECT_TRUE(wrong.step == DecryptStep::kWrongPassword || wrong.step == DecryptStep::kNameMismatch);
  ExpectQzUntouched();
  EXPECT_EQ(DecryptStep::kEmptyPassword,
            ReplaceWithUpgraded(dir_ / "a.txt.qz", Pw(kQzPassword), Pw(""), Options()).step);
  ExpectQzUntouched();
  EXPECT_EQ(DecryptStep::kNotEncryptedName,
            ReplaceWithUpgraded(dir_ / "a.txt.qz.bak", Pw(kQzPassword), Pw(kStrong), Options()).step);

  // An earlier strong file of the name stays unless the user agrees.
  const Bytes earlier = test::RandomBytes(99, 1);
  test::WriteFile(dir_ / "a.txt.age", earlier);
  EXPECT_EQ(DecryptStep::kDestinationExists,
            ReplaceWithUpgraded(dir_ / "a.txt.qz", Pw(kQzPassword), Pw(kStrong), Options()).step);
  EXPECT_EQ(earlier, test::ReadFile(dir_ / "a.txt.age"));
  DeleteFileWithRetry(dir_ / "a.txt.age");
  ExpectQzUntouched();

  // Renamed: the header names a.txt. Refused, or with consent done with the ".qz" kept.
  ASSERT_EQ(0, std::rename((dir_ / "a.txt.qz").c_str(), (dir_ / "b.txt.qz").c_str()));
  const DecryptResult other = ReplaceWithUpgraded(dir_ / "b.txt.qz", Pw(kQzPassword), Pw(kStrong), Options());
  EXPECT_EQ(DecryptStep::kNameMismatch, other.step);
  EXPECT_EQ("a.txt", other.name.stored);
  EXPECT_EQ(std::vector<std::string>{"b.txt.qz"}, dir_.List());
  TransactionOptions accept = Options();
  accept.cipher.acceptOtherName = true;
  const DecryptResult accepted = ReplaceWithUpgraded(dir_ / "b.txt.qz", Pw(kQzPassword), Pw(kStrong), accept);
  EXPECT_EQ(Outcome::kDone, accepted.outcome);
  EXPECT_TRUE(accepted.sourceKept);
  EXPECT_EQ(std::vector<std::string>({"b.txt.age", "b.txt.qz"}), dir_.List());
  EXPECT_EQ(qzBytes_, test::ReadFile(dir_ / "b.txt.qz"));
  EXPECT_EQ(plain_, StrongPlain(dir_ / "b.txt.age"));
}

TEST_F(StrongReplaceTest, UpgradeFailingAfterWritingLeavesNoStrongFile) {
  MakeQz();
  struct Fault {
    FaultPoint point;
    int nth;
    DecryptStep step;
  };
  // Opens: 1 the ".qz", 2 the new file read back. Reads (system calls): 1 the header,
  // 2 the body, 3 its end, 4 the new file.
  const Fault faults[] = {
      {FaultPoint::kRead, 2, DecryptStep::kReadBlock},
      {FaultPoint::kWrite, 2, DecryptStep::kWriteBlock},
      {FaultPoint::kWrite, 3, DecryptStep::kWriteBlock},
      {FaultPoint::kWrite, 4, DecryptStep::kWriteBlock},
      {FaultPoint::kFlush, 1, DecryptStep::kWriteBlock},
      {FaultPoint::kOpenSource, 2, DecryptStep::kVerifyFailed},
      {FaultPoint::kRead, 4, DecryptStep::kVerifyFailed},
      {FaultPoint::kRename, 1, DecryptStep::kReplaceDest},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE("fault point " + std::to_string(static_cast<int>(fault.point)) + " call " +
                 std::to_string(fault.nth));
    testing::ArmFault(fault.point, fault.nth);
    const DecryptResult result = ReplaceWithUpgraded(dir_ / "a.txt.qz", Pw(kQzPassword), Pw(kStrong), Options());
    testing::DisarmAllFaults();
    EXPECT_EQ(fault.step, result.step);
    EXPECT_EQ(Outcome::kFailed, result.outcome);
    ExpectQzUntouched();
  }
}

}  // namespace
}  // namespace qz
