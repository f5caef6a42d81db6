#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "fs/file_error.h"
#include "fs/file_system.h"
#include "test_support.h"

namespace qz {
namespace {

TEST(FileError, CausesFromErrno) {
  EXPECT_EQ(FileErrorCause::kNone, FileErrorCauseFromSystem(0));
  EXPECT_EQ(FileErrorCause::kFileNotFound, FileErrorCauseFromSystem(ENOENT));
  EXPECT_EQ(FileErrorCause::kAccessDenied, FileErrorCauseFromSystem(EACCES));
  EXPECT_EQ(FileErrorCause::kDiskFull, FileErrorCauseFromSystem(ENOSPC));
  EXPECT_EQ(FileErrorCause::kTooManyOpenFiles, FileErrorCauseFromSystem(EMFILE));
  EXPECT_EQ(FileErrorCause::kGeneric, FileErrorCauseFromSystem(EXDEV));
}

TEST(ProbeFileSize, SizeOrCause) {
  test::ScratchDir dir;
  SizeProbe probe = ProbeFileSize(dir / "missing");
  EXPECT_FALSE(probe.ok);
  EXPECT_EQ(FileErrorCause::kFileNotFound, probe.cause);

  // Sparse, so it costs no disk: sizes past 4 GiB keep all their bits.
  const int fd = ::open((dir / "big").c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  const bool sized = ::ftruncate(fd, 5000000000LL) == 0;
  ::close(fd);
  if (!sized) GTEST_SKIP() << "no large sparse files here";
  probe = ProbeFileSize(dir / "big");
  EXPECT_TRUE(probe.ok);
  EXPECT_EQ(5000000000ull, probe.size);
}

}  // namespace
}  // namespace qz
