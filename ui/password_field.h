// Reading a password field: the caller keeps a password in 260 bytes, so more than 259
// bytes in the ANSI code page are refused; so is a character that code page cannot hold,
// which would otherwise silently become another password.
#pragma once

#include <string>

#include "controls.h"
#include "dialog.h"

enum class PasswordFieldStatus { kOk, kTooLong, kNotRepresentable };

PasswordFieldStatus ReadPasswordField(const CEdit& field, std::string* password);
// Shows the message for a refused field; nothing for kOk.
void ReportPasswordField(PasswordFieldStatus status);
// Limits a field to what the caller's buffer can hold.
void LimitPasswordField(CEdit& field);
// Puts the caret in the field. Returns FALSE for OnInitDialog: the focus is set, so a
// letter typed at once goes into the field, never to a button's mnemonic.
BOOL FocusPasswordField(CDialog& dialog, CEdit& field);
