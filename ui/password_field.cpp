#include "password_field.h"

#include "file_cipher.h"
#include "message_box.h"
#include "secure_wipe.h"

namespace {
constexpr UINT kPasswordCodePage = 936;
}

PasswordFieldStatus ReadPasswordField(const CEdit& field, std::string* password) {
  std::wstring wide = field.GetWindowTextWide();
  // The field's text is a secret too: gone from this copy whatever the outcome.
  qz::WipeTextOnExit<std::wstring> wipe(wide);
  qz::SecureWipe(password);
  if (wide.empty()) return PasswordFieldStatus::kOk;
  // Passwords are code page 936 bytes on every system, so that a file opens wherever it
  // goes; a character that code page lacks is refused, never fitted.
  BOOL lossy = FALSE;
  int length = WideCharToMultiByte(kPasswordCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                   static_cast<int>(wide.size()), nullptr, 0, nullptr, &lossy);
  if (lossy || length <= 0) return PasswordFieldStatus::kNotRepresentable;
  if (static_cast<size_t>(length) > qz::kMaxPasswordBytes) return PasswordFieldStatus::kTooLong;
  password->resize(static_cast<size_t>(length));
  WideCharToMultiByte(kPasswordCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      &(*password)[0], length, nullptr, nullptr);
  return PasswordFieldStatus::kOk;
}

void ReportPasswordField(PasswordFieldStatus status) {
  switch (status) {
    case PasswordFieldStatus::kOk: break;
    case PasswordFieldStatus::kTooLong:
      AfxMessageBox("密码太长，最多 259 个字节，请重新输入!", MB_OK);
      break;
    case PasswordFieldStatus::kNotRepresentable:
      AfxMessageBox("密码中有本系统不能表示的字符，请重新输入!", MB_OK);
      break;
  }
}

void LimitPasswordField(CEdit& field) {
  // A field counts characters; the byte limit is checked again on OK.
  field.SetLimitText(static_cast<UINT>(qz::kMaxPasswordBytes));
}

BOOL FocusPasswordField(CDialog& dialog, CEdit& field) {
  dialog.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field.m_hWnd), TRUE);
  return FALSE;
}
