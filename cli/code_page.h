// Passwords and header names are code page 936 bytes, whatever the system's
// encoding, so that files cross between systems. The "locale's encoding" is UTF-8 on
// Windows: arguments and console input arrive wide and are UTF-8 inside qzcrypt, so the
// ANSI code page plays no part.
#pragma once

#include <string>
#include <string_view>

#include "crypto/secret.h"

namespace qzcli {

// Adopts the user's locale, whose encoding the conversions read.
void InitLocale();

// Converts text in the locale's encoding (a typed password) to code page 936. Returns
// false when the text is not valid in that encoding or holds a character code page 936
// lacks.
bool LocaleToCodePage936(const qz::Secret& typed, qz::Secret* out);

// A password read from a file or standard input, the same on every system: UTF-8 (a
// leading BOM dropped) converted to code page 936; bytes that are not UTF-8 are taken
// as code page 936 as they are. False when UTF-8 holds a character code page 936
// lacks, or the bytes are neither UTF-8 nor code page 936.
bool PasswordToCodePage936(const qz::Secret& raw, qz::Secret* out);

// A strong (".age") file's password is UTF-8. Typed text: from the locale's encoding
// (Windows: console input is UTF-8 already). False when it is not text in that encoding.
bool ToUtf8(const qz::Secret& typed, qz::Secret* out);
// A password from a file or standard input: UTF-8 as it is (a leading BOM dropped);
// bytes that are not UTF-8 are taken as code page 936 and converted. False when they are
// neither.
bool PasswordToUtf8(const qz::Secret& raw, qz::Secret* out);

// A file name for a header: as LocaleToCodePage936, but each character code page 936 lacks,
// and each byte that is no character at all, becomes '?'. Under a UTF-8 locale a name
// that is not UTF-8 but is code page 936 bytes is taken as it is.
std::string NameToCodePage936(const std::string& name);

// Code page 936 bytes (a stored name) in the locale's encoding for a message; '?' for
// whatever cannot be shown.
std::string FromCodePage936(const std::string& bytes);

// How the terminal takes bytes 0x80 to 0x9F: as part of UTF-8 (Windows: always), as
// characters of their own in a single-byte encoding (where they are C1 controls), or
// as parts of a multibyte encoding such as code page 936.
enum class TextBytes { kUtf8, kSingleByte, kMultibyte };
TextBytes LocaleTextBytes();

// Whether bytes form valid UTF-8 (used when the locale names plain ASCII).
bool IsValidUtf8(std::string_view text);

}  // namespace qzcli
