// The window's file-error texts name the path they are about.
#include <gtest/gtest.h>

#include "file_error_text.h"
#include "operation_messages.h"

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

// A file that failed for want of space says so after its step's text, naming its output.
TEST(FileError, FullDiskFollowsTheStepsText) {
  qzops::FileReport report;
  report.encrypt.step = qz::EncryptStep::kWriteBlock;
  report.encrypt.destination = "C:\\x\\a.txt.qz";
  EXPECT_EQ("写文件错误，加密失败。", FailureMessage(report));
  report.encrypt.diskFull = true;
  EXPECT_EQ("写文件错误，加密失败。\n在存取 C:\\x\\a.txt.qz 时磁盘已满。", FailureMessage(report));
  report.decryption = true;
  report.decrypt.step = qz::DecryptStep::kWriteBlock;
  report.decrypt.destination = "C:\\x\\a.txt";
  EXPECT_EQ("写文件错误，解密失败。", FailureMessage(report)) << "the encryption's cause is not this one's";
  report.decrypt.diskFull = true;
  EXPECT_EQ("写文件错误，解密失败。\n在存取 C:\\x\\a.txt 时磁盘已满。", FailureMessage(report));
}

}  // namespace
