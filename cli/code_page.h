// Passwords and header names are code page 936 bytes, whatever the system's
// encoding, so that files cross between systems.
#pragma once

#include <string>

namespace qzcli {

// Adopts the user's locale, whose encoding the conversions read.
void InitLocale();

// Converts text in the locale's encoding to code page 936. Returns false when the
// text is not valid in that encoding or holds a character code page 936 lacks.
// Windows: the ANSI code page already is 936 on the systems we serve; bytes pass.
bool ToCodePage936(const std::string& text, std::string* out);

// Whether bytes form valid UTF-8 (used when the locale names plain ASCII).
bool IsValidUtf8(const std::string& text);

}  // namespace qzcli
