#include "password_field.h"

#include "file_cipher.h"
#include "message_box.h"
#include "secure_wipe.h"
#include "win_path.h"

PasswordFieldStatus ReadPasswordField(const CEdit& field, PasswordForm form, std::string* password) {
  std::wstring wide = field.GetWindowTextWide();
  // The field's text is a secret too: gone from this copy whatever the outcome.
  qz::WipeTextOnExit<std::wstring> wipe(wide);
  qz::SecureWipe(password);
  if (wide.empty()) return PasswordFieldStatus::kOk;
  // ".qz" passwords are code page 936 bytes on every system, so that a file opens
  // wherever it goes; a character that code page lacks is refused, never fitted. Strong
  // passwords are UTF-8, as age takes them; only a broken surrogate has no such form.
  const int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  if (length <= 0) return PasswordFieldStatus::kNotRepresentable;
  std::string utf8(static_cast<size_t>(length), '\0');
  qz::WipeTextOnExit<std::string> wipeUtf8(utf8);
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), static_cast<int>(wide.size()), &utf8[0], length,
                      nullptr, nullptr);
  if (form == PasswordForm::kUtf8) {
    password->swap(utf8);
    return PasswordFieldStatus::kOk;
  }
  if (!qz::ToCodePage936(utf8, qz::Lacking::kFail, password)) return PasswordFieldStatus::kNotRepresentable;
  if (password->size() > qz::kMaxPasswordBytes) {
    qz::SecureWipe(password);
    return PasswordFieldStatus::kTooLong;
  }
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
