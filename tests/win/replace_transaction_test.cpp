// The replace transaction on Windows: hidden and read-only ".qz" files, read-only
// plain files, and a failure at every file operation.
#include <gtest/gtest.h>

#include <windows.h>

#include "fs/fault_injection.h"
#include "fs/file_system.h"
#include "support/files.h"
#include "test_password.h"
#include "transactions/replace_transaction.h"

namespace qz {
namespace {

using wintest::Bytes;

constexpr DWORD kMarked = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
constexpr char kPassword[] = "\xC3\xDC\xC2\xEB-7";

class Transaction : public ::testing::Test {
 protected:
  void SetUp() override {
    plain_ = dir_.File("a.txt");
    encrypted_ = plain_ + ".qz";
    content_ = wintest::PatternBytes(2500, 11);
    options_.deleteRetry = {1, std::chrono::milliseconds(10)};
  }
  void TearDown() override { testing::DisarmAllFaults(); }

  // The plain file's content as decrypted from a ".qz" file.
  Bytes Decrypted(const std::string& qz) {
    const std::string out = dir_.File("check.bin");
    EXPECT_EQ(DecryptStep::kOk, DecryptFileData(qz, out, Pw(kPassword)));
    Bytes bytes = wintest::ReadBytes(out);
    DeleteFileWithRetry(out);
    return bytes;
  }

  wintest::TempDir dir_;
  std::string plain_, encrypted_;
  Bytes content_;
  TransactionOptions options_;
};

TEST_F(Transaction, EncryptReplacesAHiddenReadOnlyQzAndMarksTheResult) {
  ASSERT_TRUE(wintest::WriteBytes(plain_, content_));
  ASSERT_TRUE(wintest::WriteBytes(encrypted_, wintest::PatternBytes(300, 12)));
  ASSERT_TRUE(MarkHiddenReadOnly(encrypted_));
  EXPECT_EQ(EncryptStep::kDestinationExists, ReplaceWithEncrypted(plain_, Pw(kPassword), options_).step)
      << "not without consent";
  EXPECT_TRUE(wintest::PatternBytes(300, 12) == wintest::ReadBytes(encrypted_));

  options_.replaceExisting = true;
  const EncryptResult result = ReplaceWithEncrypted(plain_, Pw(kPassword), options_);
  EXPECT_EQ(Outcome::kDone, result.outcome);
  EXPECT_EQ(EncryptStep::kOk, result.step);
  EXPECT_EQ(encrypted_, result.destination);
  EXPECT_FALSE(PathExists(plain_));
  EXPECT_EQ(kMarked, wintest::Attributes(encrypted_) & kMarked);
  EXPECT_TRUE(content_ == Decrypted(encrypted_));
  EXPECT_FALSE(wintest::HasTemporaryFile(dir_));
}

TEST_F(Transaction, DecryptKeepsAReadOnlyPlainFile) {
  ASSERT_TRUE(wintest::WriteBytes(plain_, content_));
  ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain_, Pw(kPassword), options_).outcome);
  const Bytes encryptedBytes = wintest::ReadBytes(encrypted_);
  const Bytes old = wintest::PatternBytes(77, 13);
  ASSERT_TRUE(wintest::WriteBytes(plain_, old));
  ASSERT_TRUE(::SetFileAttributesA(plain_.c_str(), FILE_ATTRIBUTE_READONLY));

  const DecryptResult result = ReplaceWithDecrypted(encrypted_, Pw(kPassword), options_);
  EXPECT_EQ(Outcome::kFailed, result.outcome);
  EXPECT_EQ(DecryptStep::kCreateDest, result.step);
  EXPECT_TRUE(old == wintest::ReadBytes(plain_));
  EXPECT_TRUE(IsReadOnlyFile(plain_));
  EXPECT_TRUE(encryptedBytes == wintest::ReadBytes(encrypted_));
  EXPECT_EQ(kMarked, wintest::Attributes(encrypted_) & kMarked);
  EXPECT_FALSE(wintest::HasTemporaryFile(dir_));

  // Once writable, the plain file is replaced with consent.
  ASSERT_TRUE(ClearAttributes(plain_));
  options_.replaceExisting = true;
  EXPECT_EQ(Outcome::kDone, ReplaceWithDecrypted(encrypted_, Pw(kPassword), options_).outcome);
  EXPECT_TRUE(content_ == wintest::ReadBytes(plain_));
  EXPECT_FALSE(PathExists(encrypted_));
}

// The user's last-write time survives a round trip; the .qz carries it meanwhile.
TEST_F(Transaction, LastWriteTimeIsCarriedBothWays) {
  ASSERT_TRUE(wintest::WriteBytes(plain_, content_));
  auto lastWrite = [](const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    EXPECT_TRUE(::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) << path;
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
  };
  HANDLE file = ::CreateFileA(plain_.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  const FILETIME when = {0x12345670, 0x01D00000};  // in 2014
  ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &when));
  ::CloseHandle(file);
  const ULONGLONG expected = lastWrite(plain_);

  ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain_, Pw(kPassword), options_).outcome);
  EXPECT_EQ(expected, lastWrite(encrypted_));
  ASSERT_EQ(Outcome::kDone, ReplaceWithDecrypted(encrypted_, Pw(kPassword), options_).outcome);
  EXPECT_EQ(expected, lastWrite(plain_));
  EXPECT_TRUE(content_ == wintest::ReadBytes(plain_));
}

struct FaultCase {
  FaultPoint point;
  EncryptStep encryptStep;
  DecryptStep decryptStep;
};

const FaultCase kFaultCases[] = {
    {FaultPoint::kOpenSource, EncryptStep::kOpenSource, DecryptStep::kOpenSource},
    {FaultPoint::kCreateTemp, EncryptStep::kCreateDest, DecryptStep::kCreateDest},
    {FaultPoint::kRead, EncryptStep::kReadBlock, DecryptStep::kReadHeader},
    {FaultPoint::kWrite, EncryptStep::kWriteHeader, DecryptStep::kWriteBlock},
    {FaultPoint::kFlush, EncryptStep::kWriteBlock, DecryptStep::kWriteBlock},
    {FaultPoint::kClose, EncryptStep::kWriteBlock, DecryptStep::kWriteBlock},
    {FaultPoint::kRename, EncryptStep::kReplaceDest, DecryptStep::kReplaceDest},
    {FaultPoint::kDelete, EncryptStep::kOk, DecryptStep::kOk},
    // The CryptoAPI key derivation, at each of its steps.
    {FaultPoint::kAcquireContext, EncryptStep::kAcquireContext, DecryptStep::kAcquireContext},
    {FaultPoint::kCreateHash, EncryptStep::kCreateHash, DecryptStep::kCreateHash},
    {FaultPoint::kHashData, EncryptStep::kHashData, DecryptStep::kHashData},
    {FaultPoint::kDeriveKey, EncryptStep::kDeriveKey, DecryptStep::kDeriveKey},
};

std::string Describe(FaultPoint point, bool destinationExisted) {
  return "fault point " + std::to_string(static_cast<int>(point)) +
         (destinationExisted ? ", destination existed" : ", new destination");
}

// A failure anywhere keeps the source and any earlier destination as they were. A
// source that cannot be deleted stays beside the output only when the output
// replaced an earlier file; a new output is removed again.
TEST_F(Transaction, EncryptFailureAtAnyPointKeepsEveryFile) {
  // Every point but kDeleteAside, which POSIX alone has, and kMark (its own test).
  static_assert(sizeof(kFaultCases) / sizeof(kFaultCases[0]) ==
                static_cast<std::size_t>(FaultPoint::kCount) - 2);
  const Bytes oldQz = wintest::PatternBytes(400, 14);
  for (const FaultCase& fault : kFaultCases) {
    for (const bool existed : {false, true}) {
      SCOPED_TRACE(Describe(fault.point, existed));
      ASSERT_TRUE(wintest::WriteBytes(plain_, content_));
      if (existed) {
        ASSERT_TRUE(wintest::WriteBytes(encrypted_, oldQz));
        ASSERT_TRUE(MarkHiddenReadOnly(encrypted_));
      }
      options_.replaceExisting = existed;
      testing::ArmFault(fault.point, 1);
      const EncryptResult result = ReplaceWithEncrypted(plain_, Pw(kPassword), options_);
      testing::DisarmAllFaults();

      EXPECT_EQ(fault.encryptStep, result.step);
      EXPECT_TRUE(content_ == wintest::ReadBytes(plain_));
      EXPECT_FALSE(wintest::HasTemporaryFile(dir_));
      if (fault.point == FaultPoint::kDelete) {
        EXPECT_EQ(Outcome::kSourceNotDeleted, result.outcome);
        EXPECT_EQ(existed, result.outputKept);
        EXPECT_EQ(existed, PathExists(encrypted_));
        if (existed) {
          EXPECT_TRUE(content_ == Decrypted(encrypted_));
        }
      } else {
        EXPECT_EQ(Outcome::kFailed, result.outcome);
        EXPECT_EQ(existed, PathExists(encrypted_));
        if (existed) {
          EXPECT_TRUE(oldQz == wintest::ReadBytes(encrypted_));
        }
      }
      if (existed) {
        EXPECT_EQ(kMarked, wintest::Attributes(encrypted_) & kMarked);
      }
      DeleteFileWithRetry(encrypted_);
    }
  }
}

// The output is complete before it is marked: a failed marking keeps it, removes the
// source, and is reported.
TEST_F(Transaction, FailedMarkingKeepsTheOutputAndIsReported) {
  ASSERT_TRUE(wintest::WriteBytes(plain_, content_));
  testing::ArmFault(FaultPoint::kMark, 1);
  const EncryptResult result = ReplaceWithEncrypted(plain_, Pw(kPassword), options_);
  testing::DisarmAllFaults();
  EXPECT_EQ(Outcome::kDone, result.outcome);
  EXPECT_TRUE(result.unmarked);
  EXPECT_FALSE(PathExists(plain_));
  EXPECT_EQ(0u, wintest::Attributes(encrypted_) & kMarked);
  EXPECT_TRUE(content_ == Decrypted(encrypted_));
}

TEST_F(Transaction, DecryptFailureAtAnyPointKeepsEveryFile) {
  ASSERT_TRUE(wintest::WriteBytes(plain_, content_));
  ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain_, Pw(kPassword), options_).outcome);
  const Bytes qzBytes = wintest::ReadBytes(encrypted_);
  const Bytes oldPlain = wintest::PatternBytes(90, 15);
  for (const FaultCase& fault : kFaultCases) {
    for (const bool existed : {false, true}) {
      SCOPED_TRACE(Describe(fault.point, existed));
      if (existed) {
        ASSERT_TRUE(wintest::WriteBytes(plain_, oldPlain));
      }
      options_.replaceExisting = existed;
      testing::ArmFault(fault.point, 1);
      const DecryptResult result = ReplaceWithDecrypted(encrypted_, Pw(kPassword), options_);
      testing::DisarmAllFaults();

      EXPECT_EQ(fault.decryptStep, result.step);
      EXPECT_TRUE(qzBytes == wintest::ReadBytes(encrypted_));
      EXPECT_EQ(kMarked, wintest::Attributes(encrypted_) & kMarked);
      EXPECT_FALSE(wintest::HasTemporaryFile(dir_));
      if (fault.point == FaultPoint::kDelete) {
        EXPECT_EQ(Outcome::kSourceNotDeleted, result.outcome);
        EXPECT_EQ(existed, result.outputKept);
        EXPECT_EQ(existed, PathExists(plain_));
        if (existed) {
          EXPECT_TRUE(content_ == wintest::ReadBytes(plain_));
        }
      } else {
        EXPECT_EQ(Outcome::kFailed, result.outcome);
        EXPECT_EQ(existed, PathExists(plain_));
        if (existed) {
          EXPECT_TRUE(oldPlain == wintest::ReadBytes(plain_));
        }
      }
      DeleteFileWithRetry(plain_);
    }
  }
}

}  // namespace
}  // namespace qz
