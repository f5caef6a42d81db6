// Reading a password field in the form its files take: code page 936 bytes for ".qz"
// files, of which the caller keeps at most 259 (a character that code page cannot hold
// is refused: it would otherwise silently become another password), and UTF-8 for
// strong files, which holds any text the field does.
#pragma once

#include <string>

#include "controls.h"
#include "dialog.h"

enum class PasswordFieldStatus { kOk, kTooLong, kNotRepresentable };
enum class PasswordForm { kCodePage936, kUtf8 };

PasswordFieldStatus ReadPasswordField(const CEdit& field, PasswordForm form, std::string* password);
// Shows the message for a refused field; nothing for kOk.
void ReportPasswordField(PasswordFieldStatus status);
// Limits a field to what the caller's buffer can hold.
void LimitPasswordField(CEdit& field);
// Puts the caret in the field. Returns FALSE for OnInitDialog: the focus is set, so a
// letter typed at once goes into the field, never to a button's mnemonic.
BOOL FocusPasswordField(CDialog& dialog, CEdit& field);
