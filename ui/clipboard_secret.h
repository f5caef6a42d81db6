// A secret put on the clipboard for a short while: cleared again after a minute, or when
// its keeper (a window that outlives the box it was copied from) ends, but only while the
// clipboard still holds it, so that whatever the user copied since stays.
#pragma once

#include <windows.h>

#include "crypto/secret.h"

// The secret is UTF-16 text (wchars()).
bool CopySecretToClipboard(HWND keeper, const qz::Secret& secret);
// Clears the clipboard if it still holds the secret the keeper copied.
void ClearSecretFromClipboard(HWND keeper);
