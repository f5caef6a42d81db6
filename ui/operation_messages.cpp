#include "operation_messages.h"

#include <string>

#include "file_error_text.h"

const char* EncryptFailureText(qz::EncryptStep step) {
  using S = qz::EncryptStep;
  switch (step) {
    case S::kOk: return "";
    case S::kOpenSource: return "打开源文件出错!";
    case S::kCreateDest: return "创建目标文件出错!";
    case S::kAcquireContext: return "创建目标文件出错!";
    case S::kCreateHash: return "加密过程中出错，无法完成操作！";
    case S::kHashData: return "加密出错，无法完成操作！";
    case S::kDeriveKey: return "创建密钥失败，无法完成加密！";
    case S::kAllocBuffer: return "内存不够，无法完成加密！";
    case S::kCryptHeader: return "加密文件头错误，加密失败。";
    case S::kWriteHeader: return "写文件头错误，加密失败。";
    case S::kReadBlock: return "读取文件出错，加密失败。";
    case S::kCryptBlock: return "内部错误，加密失败。";
    case S::kWriteBlock: return "写文件错误，加密失败。";
    case S::kReplaceDest: return "无法用加密文件替换同名文件，加密失败。";
    case S::kPathTooLong: return "路径太长，无法加密。";
    case S::kPasswordTooLong: return "密码太长，无法加密。";
    case S::kNameNotStorable: return "文件名中有不能保存的字符，无法加密。";
    case S::kDestinationExists: return "同名的加密文件已存在，加密未进行。";
    case S::kCancelled: return "操作已取消，加密未进行。";
    case S::kEmptyPassword: return "强加密需要输入密码。";
    case S::kHasOtherLinks: return "此文件还有其他链接，加密未进行。";
  }
  return "加密失败。";
}

const char* DecryptFailureText(qz::DecryptStep step) {
  using S = qz::DecryptStep;
  switch (step) {
    case S::kOk: return "";
    case S::kOpenSource: return "无法打开源文件。";
    case S::kCreateDest: return "无法创建目标文件。";
    case S::kAcquireContext: return "创建目标文件出错!";
    case S::kCreateHash: return "内部错误，没能完成解密。";
    case S::kHashData: return "内部错误，解密操作失败。";
    case S::kDeriveKey: return "执行过程出错，解密失败。";
    case S::kAllocBuffer: return "内存不够，解密失败。";
    case S::kReadHeader: return "读文件头出错，解密失败。";
    case S::kCryptHeader: return "解密过程出错，解密失败。";
    case S::kReadBlock: return "读文件出错，解密失败。";
    case S::kCryptBlock: return "解密过程出错，解密失败。";
    case S::kWriteBlock: return "写文件错误，解密失败。";
    case S::kWrongPassword: return "密码错误，解密失败。";
    case S::kReplaceDest: return "无法用解密文件替换同名文件，解密失败。";
    case S::kPathTooLong: return "路径太长，无法解密。";
    case S::kPasswordTooLong: return "密码太长，无法解密。";
    case S::kNotEncryptedName: return "不能用于非本系统加密的文件！";
    case S::kNameMismatch: return "文件中记录的原文件名与现在的文件名不同，可能密码不对，解密未进行。";
    case S::kDestinationExists: return "同名的文件已存在，解密未进行。";
    case S::kCancelled: return "操作已取消，解密未进行。";
    case S::kEmptyPassword: return "强加密需要输入密码。";
    case S::kDamaged: return "文件已损坏或被改动，解密失败。";
    case S::kWorkFactorTooLarge: return "此文件的密码强度参数过高（%d），无法解密。";
    case S::kNotPassphraseFile: return "此 .age 文件不是用密码加密的，无法解密。";
    case S::kVerifyFailed: return "升级后的文件校验失败，已保留原文件。";
    case S::kHasOtherLinks: return "此文件还有其他链接，解密未进行。";
  }
  return "解密失败。";
}

std::string DecryptFailureMessage(qz::DecryptStep step, int workFactor) {
  std::string text = DecryptFailureText(step);
  const size_t at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(workFactor));
  return text;
}

std::string FailureMessage(const qzops::FileReport& report) {
  std::string text = report.decryption ? DecryptFailureMessage(report.decrypt.step, report.workFactorFound)
                                       : EncryptFailureText(report.encrypt.step);
  if (report.DiskFull()) {
    const std::string& output = report.decryption ? report.decrypt.destination : report.encrypt.destination;
    text += "\n" + FormatFileError(qz::FileErrorCause::kDiskFull, output);
  }
  return text;
}
