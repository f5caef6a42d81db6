// The window's file-error texts name the path they are about.
#include <gtest/gtest.h>

#include "file_error_text.h"

namespace {

using qz::FileErrorCause;

TEST(FileError, TextNamesThePath) {
  EXPECT_EQ("没有找到 C:\\x\\a.txt。", FormatFileError(FileErrorCause::kFileNotFound, "C:\\x\\a.txt"));
  EXPECT_EQ("在存取 b.doc 时发生共享违例。",
            FormatFileError(FileErrorCause::kSharingViolation, "b.doc"));
  EXPECT_EQ("无错误发生。", FormatFileError(FileErrorCause::kNone, "x"));
  // A path that itself holds "%1" is inserted as it is.
  EXPECT_EQ("对 %1% 的存取被拒绝。", FormatFileError(FileErrorCause::kAccessDenied, "%1%"));
}

}  // namespace
