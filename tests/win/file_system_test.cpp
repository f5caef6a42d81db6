// The Windows file primitives: size probe, deletion with retries, temporary outputs, and
// the wide form of paths.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

#include "fault_count.h"
#include "fs/fault_injection.h"
#include "fs/file_streams.h"
#include "fs/file_system.h"
#include "fs/win_path.h"
#include "support/files.h"

namespace qz {
namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Another handle on the file, without delete sharing (and with none at all when
// exclusive).
HANDLE Hold(const std::string& path, bool exclusive) {
  const DWORD share = exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
  return ::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

class WinFiles : public ::testing::Test {
 protected:
  void TearDown() override { testing::DisarmAllFaults(); }
  wintest::TempDir dir_;
};

TEST_F(WinFiles, ProbeReportsSizesBeyondFourGigabytes) {
  const std::string path = dir_.File("big.bin");
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  LARGE_INTEGER end;
  end.QuadPart = (1LL << 32) + 4097;
  const bool grown = ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
  ::CloseHandle(file);
  if (!grown) GTEST_SKIP() << "this file system cannot hold a sparse file of 4 GiB";
  const SizeProbe probe = ProbeFileSize(path);
  EXPECT_TRUE(probe.ok);
  EXPECT_EQ(static_cast<std::uint64_t>(end.QuadPart), probe.size);
}

TEST_F(WinFiles, ProbeNamesWhyItCannotOpen) {
  const std::string path = dir_.File("held.txt");
  ASSERT_TRUE(wintest::WriteBytes(path, wintest::PatternBytes(999, 1)));
  {
    HANDLE other = Hold(path, false);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    // The probe asks for exclusive access, so even a sharing reader is in the way.
    const SizeProbe probe = ProbeFileSize(path);
    ::CloseHandle(other);
    EXPECT_FALSE(probe.ok);
    EXPECT_EQ(FileErrorCause::kSharingViolation, probe.cause);
  }
  const SizeProbe released = ProbeFileSize(path);
  EXPECT_TRUE(released.ok);
  EXPECT_EQ(999u, released.size);

  const SizeProbe missing = ProbeFileSize(dir_.File("missing.txt"));
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(FileErrorCause::kFileNotFound, missing.cause);
  EXPECT_EQ(FileErrorCause::kBadPath, ProbeFileSize(dir_.File("nodir\\x.txt")).cause);
}

TEST_F(WinFiles, DeleteClearsHiddenReadOnlyAndTakesMissingFilesAsDeleted) {
  const std::string path = dir_.File("marked.qz");
  ASSERT_TRUE(wintest::WriteBytes(path, wintest::PatternBytes(10, 2)));
  ASSERT_TRUE(MarkHiddenReadOnly(path));
  const DWORD marked = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
  ASSERT_EQ(marked, wintest::Attributes(path) & marked);
  EXPECT_TRUE(IsReadOnlyFile(path));
  EXPECT_TRUE(DeleteFileWithRetry(path, {3, std::chrono::milliseconds(500)}));
  EXPECT_FALSE(PathExists(path));

  for (const std::string& missing : {dir_.File("missing.txt"), dir_.File("nodir\\x.txt")}) {
    bool deleted = false;
    const int attempts = testsupport::PassesOf(FaultPoint::kDelete, [&] {
      deleted = DeleteFileWithRetry(missing, {3, std::chrono::milliseconds(500)});
    });
    EXPECT_TRUE(deleted) << missing;
    EXPECT_LE(attempts, 1) << missing << ": a missing file must not be retried";
  }
}

TEST_F(WinFiles, DeleteGivesUpOnAHeldFileAndKeepsItsMarking) {
  const std::string path = dir_.File("held.qz");
  ASSERT_TRUE(wintest::WriteBytes(path, wintest::PatternBytes(10, 3)));
  ASSERT_TRUE(MarkHiddenReadOnly(path));
  HANDLE other = Hold(path, false);
  ASSERT_NE(INVALID_HANDLE_VALUE, other);
  bool deleted = true;
  long long elapsed = 0;
  const int attempts = testsupport::PassesOf(FaultPoint::kDelete, [&] {
    const auto start = Clock::now();
    deleted = DeleteFileWithRetry(path, {5, std::chrono::milliseconds(50)});
    elapsed = MillisecondsSince(start);
  });
  ::CloseHandle(other);
  EXPECT_FALSE(deleted);
  // Five attempts, as the policy says, and four pauses between them.
  EXPECT_EQ(5, attempts);
  EXPECT_GE(elapsed, 4 * 50 - 15);
  EXPECT_TRUE(PathExists(path));
  const DWORD marked = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
  EXPECT_EQ(marked, wintest::Attributes(path) & marked);
}

TEST_F(WinFiles, DeleteSucceedsOnceTheOtherHandleIsClosed) {
  const std::string path = dir_.File("released.txt");
  ASSERT_TRUE(wintest::WriteBytes(path, wintest::PatternBytes(10, 4)));
  ASSERT_TRUE(MarkHiddenReadOnly(path));
  HANDLE other = Hold(path, false);
  ASSERT_NE(INVALID_HANDLE_VALUE, other);
  // Released once an attempt has begun (it clears the marking first), not after a time.
  std::thread releaser([&] {
    while (wintest::Attributes(path) & FILE_ATTRIBUTE_READONLY) ::Sleep(1);
    ::CloseHandle(other);
  });
  // Attempts enough that any machine reaches the release before they run out.
  const bool deleted = DeleteFileWithRetry(path, {1000, std::chrono::milliseconds(20)});
  releaser.join();
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(PathExists(path));
}

TEST_F(WinFiles, AnInjectedDeleteFailureCountsAsAFailedAttempt) {
  const std::string path = dir_.File("x.txt");
  ASSERT_TRUE(wintest::WriteBytes(path, wintest::PatternBytes(10, 5)));
  testing::ArmFault(FaultPoint::kDelete, 1);
  EXPECT_FALSE(DeleteFileWithRetry(path, {1, std::chrono::milliseconds(10)}));
  EXPECT_TRUE(PathExists(path));
  testing::ArmFault(FaultPoint::kDelete, 1);
  EXPECT_TRUE(DeleteFileWithRetry(path, {2, std::chrono::milliseconds(10)}));
  EXPECT_FALSE(PathExists(path));
}

TEST_F(WinFiles, TemporaryOutputReplacesOnlyWhatItMay) {
  const std::string dest = dir_.File("out.bin");
  const wintest::Bytes old = wintest::PatternBytes(100, 6), fresh = wintest::PatternBytes(50, 7);
  ASSERT_TRUE(wintest::WriteBytes(dest, old));
  ASSERT_TRUE(MarkHiddenReadOnly(dest));

  TempOutput out;
  ASSERT_TRUE(out.Create(dest));
  EXPECT_EQ(dir_.path() + "\\", out.temp_path().substr(0, dir_.path().size() + 1));
  EXPECT_TRUE(IsTemporaryName(out.temp_path().substr(dir_.path().size() + 1)));
  ASSERT_TRUE(out.Write(fresh.data(), fresh.size()));
  EXPECT_EQ(CommitResult::kFailed, out.Commit(true, true)) << "not finished yet";
  ASSERT_TRUE(out.Finish());
  EXPECT_EQ(CommitResult::kExists, out.Commit(false, true)) << "no consent";
  EXPECT_EQ(CommitResult::kFailed, out.Commit(true, false)) << "read-only";
  EXPECT_TRUE(old == wintest::ReadBytes(dest));
  EXPECT_TRUE(wintest::HasTemporaryFile(dir_));
  ASSERT_EQ(CommitResult::kOk, out.Commit(true, true));
  EXPECT_TRUE(fresh == wintest::ReadBytes(dest));
  EXPECT_FALSE(wintest::HasTemporaryFile(dir_));

  // One that is never committed is removed.
  {
    TempOutput dropped;
    ASSERT_TRUE(dropped.Create(dest));
    ASSERT_TRUE(dropped.Write(fresh.data(), fresh.size()));
    EXPECT_TRUE(wintest::HasTemporaryFile(dir_));
  }
  EXPECT_FALSE(wintest::HasTemporaryFile(dir_));
}

TEST_F(WinFiles, SourceCannotBeWrittenWhileItIsRead) {
  const std::string path = dir_.File("src.bin");
  ASSERT_TRUE(wintest::WriteBytes(path, wintest::PatternBytes(3000, 8)));
  InputFile in;
  ASSERT_TRUE(in.Open(path));
  HANDLE writer = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
  if (writer != INVALID_HANDLE_VALUE) ::CloseHandle(writer);
  std::uint8_t buffer[2000];
  EXPECT_EQ(2000u, in.Read(buffer, sizeof(buffer)));
  EXPECT_FALSE(in.eof());
  EXPECT_EQ(1000u, in.Read(buffer, sizeof(buffer)));
  EXPECT_TRUE(in.eof());
  EXPECT_FALSE(in.error());
  EXPECT_FALSE(InputFile().Open(dir_.path()));
}

// Checked and deleted through one handle: a marked ".qz" that is still the file read
// goes; one replaced or rewritten since stays.
TEST_F(WinFiles, SourceIsDeletedOnlyWhileUnchanged) {
  const std::string path = dir_.File("src.qz");
  auto readWhole = [&] {
    InputFile in;
    EXPECT_TRUE(in.Open(path));
    std::uint8_t buffer[4096];
    while (!in.eof() && !in.error()) in.Read(buffer, sizeof(buffer));
    return in.snapshot();
  };
  ASSERT_TRUE(wintest::WriteBytes(path, wintest::PatternBytes(3000, 9)));
  FileSnapshot read = readWhole();
  ASSERT_TRUE(read.valid);
  EXPECT_EQ(3000u, read.bytesRead);

  // Another file moved into its place keeps the name; so does a rewrite.
  const std::string other = dir_.File("other");
  ASSERT_TRUE(wintest::WriteBytes(other, wintest::PatternBytes(3000, 10)));
  ASSERT_TRUE(::MoveFileExA(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(SourceRemoval::kChanged, RemoveIfUnchanged(path, read, {2, std::chrono::milliseconds(1)}));
  read = readWhole();
  ASSERT_TRUE(wintest::WriteBytes(path, wintest::PatternBytes(3001, 11)));
  EXPECT_EQ(SourceRemoval::kChanged, RemoveIfUnchanged(path, read, {2, std::chrono::milliseconds(1)}));
  EXPECT_TRUE(PathExists(path));

  read = readWhole();
  ASSERT_TRUE(MarkHiddenReadOnly(path));
  HANDLE reader = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, reader);
  EXPECT_EQ(SourceRemoval::kNotRemoved, RemoveIfUnchanged(path, read, {2, std::chrono::milliseconds(1)}))
      << "held open by another reader without delete sharing";
  ::CloseHandle(reader);
  EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY,
            ::GetFileAttributesA(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(SourceRemoval::kRemoved, RemoveIfUnchanged(path, read, {2, std::chrono::milliseconds(1)}));
  EXPECT_FALSE(PathExists(path));
}

}  // namespace
}  // namespace qz

// Paths of MAX_PATH characters or more reach the system in the long-path form, resolved
// first as the system resolves any path; shorter ones go as they are.
TEST(WidePath, LongPathsTakeTheLongPathFormResolvedAsTheSystemWould) {
  const std::string tail = std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\" + std::string(100, 'c') + ".txt";
  const std::wstring wideTail(tail.begin(), tail.end());
  EXPECT_EQ(qz::WidePath("C:\\" + tail), L"\\\\?\\C:\\" + wideTail);
  EXPECT_EQ(qz::WidePath("C:/x/./y/../../" + tail), L"\\\\?\\C:\\" + wideTail);
  EXPECT_EQ(qz::WidePath("\\\\server\\share\\" + tail), L"\\\\?\\UNC\\server\\share\\" + wideTail);
  // Already in the system's own form: nothing to resolve, whatever its length.
  EXPECT_EQ(qz::WidePath("\\\\?\\C:\\" + tail + "\\.."), L"\\\\?\\C:\\" + wideTail + L"\\..");
  EXPECT_EQ(qz::WidePath("\\\\?\\UNC\\s\\x\\..\\y"), L"\\\\?\\UNC\\s\\x\\..\\y");
  // Short paths stay exactly as given, relative ones too; long relative ones resolve
  // against the current folder.
  EXPECT_EQ(qz::WidePath("C:\\a\\..\\b.txt"), L"C:\\a\\..\\b.txt");
  EXPECT_EQ(qz::WidePath("sub/b.txt"), L"sub/b.txt");
  wchar_t current[MAX_PATH] = {};
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, current);
  ASSERT_TRUE(length > 3 && length < MAX_PATH && current[1] == L':');
  std::wstring base = current;
  if (base.back() != L'\\') base += L'\\';
  EXPECT_EQ(qz::WidePath(tail), L"\\\\?\\" + base + wideTail);
  EXPECT_EQ(qz::WidePath(std::string("\xFF") + tail), L"");  // no UTF-8: names no file
}
