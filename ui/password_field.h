// Reading a password field in the form its files take: code page 936 bytes for ".qz"
// files, of which the caller keeps at most 259 (a character that code page cannot hold
// is refused: it would otherwise silently become another password), and UTF-8 for
// strong files, which holds any text the field does. The text goes from the field into
// guarded memory only, and the field is overwritten before it is emptied or destroyed.
#pragma once

#include "controls.h"
#include "crypto/secret.h"
#include "dialog.h"

enum class PasswordFieldStatus { kOk, kTooLong, kNotRepresentable };
enum class PasswordForm { kCodePage936, kUtf8 };

// *password is emptied first, and set only with kOk.
PasswordFieldStatus ReadPasswordField(const CEdit& field, PasswordForm form, qz::Secret* password);
// UTF-8 text in UTF-16, for a field; empty when it is not UTF-8.
qz::Secret Utf8ToWideSecret(const qz::Secret& utf8);
// Shows the message for a refused field; nothing for kOk.
void ReportPasswordField(PasswordFieldStatus status);
// Limits a field to what the caller's buffer can hold, and makes the control's own
// buffers that large at once. The field notifies its parent of changes (EN_CHANGE).
void LimitPasswordField(CEdit& field);
// Puts the caret in the field. Returns FALSE for OnInitDialog: the focus is set, so a
// letter typed at once goes into the field, never to a button's mnemonic.
BOOL FocusPasswordField(CDialog& dialog, CEdit& field);
// Overwrites the field's text where the control keeps it, and its undo buffer, then
// empties it. The field notifies its parent of each change (EN_CHANGE) meanwhile.
void WipePasswordField(CEdit& field);
