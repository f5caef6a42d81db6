#include "password_field.h"

#include "qz_format.h"
#include "message_box.h"
#include "secure_wipe.h"

namespace {
constexpr UINT kPasswordCodePage = 936;
}

PasswordFieldStatus ReadPasswordField(const CEdit& field, PasswordForm form, std::string* password) {
  std::wstring wide = field.GetWindowTextWide();
  // The field's text is a secret too: gone from this copy whatever the outcome.
  qz::WipeTextOnExit<std::wstring> wipe(wide);
  qz::SecureWipe(password);
  if (wide.empty()) return PasswordFieldStatus::kOk;
  // ".qz" passwords are code page 936 bytes on every system, so that a file opens
  // wherever it goes; a character that code page lacks is refused, never fitted. Strong
  // passwords are UTF-8, as age takes them; only a broken surrogate has no such form.
  const UINT codePage = form == PasswordForm::kUtf8 ? CP_UTF8 : kPasswordCodePage;
  const DWORD flags = form == PasswordForm::kUtf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL lossy = FALSE;
  BOOL* lossyOut = form == PasswordForm::kUtf8 ? nullptr : &lossy;  // UTF-8 takes no default character
  int length = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                   nullptr, lossyOut);
  if (lossy || length <= 0) return PasswordFieldStatus::kNotRepresentable;
  if (form == PasswordForm::kCodePage936 && static_cast<size_t>(length) > qz::kMaxPasswordBytes)
    return PasswordFieldStatus::kTooLong;
  password->resize(static_cast<size_t>(length));
  WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), &(*password)[0], length,
                      nullptr, lossyOut);
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
