#include "password_field.h"

#include <string>
#include <utility>

#include "message_box.h"
#include "qz/qz_format.h"

namespace {

constexpr UINT kCodePage936 = 936;

// The field's text in UTF-16, straight from the control (the secret ends it with zeros).
qz::Secret FieldText(const CEdit& field) {
  const int length = GetWindowTextLengthW(field.m_hWnd);
  if (length <= 0) return qz::Secret();
  qz::Secret text(static_cast<size_t>(length) * sizeof(wchar_t));
  const int copied = GetWindowTextW(field.m_hWnd, text.wchars(), length + 1);
  text.Truncate(static_cast<size_t>(copied > 0 ? copied : 0) * sizeof(wchar_t));
  return text;
}

// The text in a code page, into out (null: its length only). 0 when a character has no
// form there: no best fit, so that "ß" never becomes "s".
int Encode(const qz::Secret& wide, UINT codePage, char* out, int room) {
  const bool utf8 = codePage == CP_UTF8;
  BOOL lacking = FALSE;
  const int length = WideCharToMultiByte(codePage, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
                                         wide.wchars(), static_cast<int>(wide.size() / sizeof(wchar_t)), out, room,
                                         nullptr, utf8 ? nullptr : &lacking);
  return lacking ? 0 : length;
}

}  // namespace

PasswordFieldStatus ReadPasswordField(const CEdit& field, PasswordForm form, qz::Secret* password) {
  password->Clear();
  const qz::Secret wide = FieldText(field);
  if (wide.empty()) return PasswordFieldStatus::kOk;
  // Strong passwords are UTF-8, as age takes them; only a broken surrogate has no such form.
  if (Encode(wide, CP_UTF8, nullptr, 0) == 0) return PasswordFieldStatus::kNotRepresentable;
  // ".qz" passwords are code page 936 bytes on every system, so that a file opens
  // wherever it goes; a character that code page lacks is refused, never fitted.
  const UINT codePage = form == PasswordForm::kUtf8 ? CP_UTF8 : kCodePage936;
  const int length = Encode(wide, codePage, nullptr, 0);
  if (length == 0) return PasswordFieldStatus::kNotRepresentable;
  if (form == PasswordForm::kCodePage936 && static_cast<size_t>(length) > qz::kMaxPasswordBytes)
    return PasswordFieldStatus::kTooLong;
  qz::Secret encoded(static_cast<size_t>(length));
  Encode(wide, codePage, encoded.chars(), length);
  *password = std::move(encoded);
  return PasswordFieldStatus::kOk;
}

qz::Secret Utf8ToWideSecret(const qz::Secret& utf8) {
  const int size = static_cast<int>(utf8.size());
  const int length = size ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.chars(), size, nullptr, 0) : 0;
  if (length <= 0) return qz::Secret();
  qz::Secret wide(static_cast<size_t>(length) * sizeof(wchar_t));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.chars(), size, wide.wchars(), length);
  return wide;
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
  // Room for the longest password from the start: a control's buffer that grows as the
  // user types moves, and leaves what was typed so far in the memory it frees. Deleting
  // the filler gives the undo buffer the same room.
  const std::wstring filler(qz::kMaxPasswordBytes, L'*');
  field.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(filler.c_str()));
  field.SendMessage(EM_SETSEL, 0, -1);
  field.SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
  field.SendMessage(EM_EMPTYUNDOBUFFER);
}

BOOL FocusPasswordField(CDialog& dialog, CEdit& field) {
  dialog.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field.m_hWnd), TRUE);
  return FALSE;
}

void WipePasswordField(CEdit& field) {
  // One character at a time: an edit control copies the text a replacement removes into
  // memory it frees unwiped, so the text must never go as one selection. Same length, so
  // the control's buffer stays where it is.
  const int length = GetWindowTextLengthW(field.m_hWnd);
  for (int i = 0; i < length; ++i) {
    field.SendMessage(EM_SETSEL, static_cast<WPARAM>(i), i + 1);
    field.SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"*"));
  }
  // A deletion that can be undone is written over the start of the undo buffer, where
  // text the user deleted earlier may still be.
  field.SendMessage(EM_SETSEL, 0, -1);
  field.SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
  field.SendMessage(EM_EMPTYUNDOBUFFER);
}
