#include "file_error_text.h"

#include "message_template.h"

const char* FileErrorTemplate(qz::FileErrorCause cause) {
  switch (cause) {
    case qz::FileErrorCause::kNone: return "无错误发生。";
    case qz::FileErrorCause::kGeneric: return "在对 %1 进行访问时发生了一个不明错误。";
    case qz::FileErrorCause::kFileNotFound: return "没有找到 %1。";
    case qz::FileErrorCause::kBadPath: return "%1 中包含无效的路径。";
    case qz::FileErrorCause::kTooManyOpenFiles: return "无法打开 %1 因为太多文件已被打开。";
    case qz::FileErrorCause::kAccessDenied: return "对 %1 的存取被拒绝。";
    case qz::FileErrorCause::kInvalidFile: return "一个无效的文件柄与 %1 相关联。";
    case qz::FileErrorCause::kRemoveCurrentDir: return "无法删除 %1 因为它是当前目录。";
    case qz::FileErrorCause::kDirectoryFull: return "该目录已满，无法创建 %1。";
    case qz::FileErrorCause::kBadSeek: return "对 %1 进行查找失败。";
    case qz::FileErrorCause::kHardIO: return "在存取 %1 时一个硬件输入/输出错误被报告。";
    case qz::FileErrorCause::kSharingViolation: return "在存取 %1 时发生共享违例。";
    case qz::FileErrorCause::kLockViolation: return "在存取 %1 时发生锁违例。";
    case qz::FileErrorCause::kDiskFull: return "在存取 %1 时磁盘已满。";
    case qz::FileErrorCause::kEndOfFile: return "试图越过其尾端对 %1 进行读写。";
  }
  return "在对 %1 进行访问时发生了一个不明错误。";
}

std::string FormatFileError(qz::FileErrorCause cause, const std::string& path) {
  return FillTemplate<char>(FileErrorTemplate(cause), "%1", path);
}
