// Windows: text inside qzcrypt is UTF-8; the console and the command line speak UTF-16.
#pragma once

#ifdef _WIN32

#include <cstddef>
#include <string>
#include <string_view>

#include "crypto/secret.h"

namespace qzcli {

// Bytes that are not UTF-8 become U+FFFD.
std::wstring WideText(const std::string& utf8);
// The same for a password, into guarded memory.
void WideText(std::string_view utf8, qz::Secret* wide);
// An unpaired surrogate becomes U+FFFD, which code page 936 lacks, so a password that
// holds one is refused rather than changed.
std::string Utf8Text(const wchar_t* wide, std::size_t length);
// The same for a password, into guarded memory.
void Utf8Text(const wchar_t* wide, std::size_t length, qz::Secret* utf8);

}  // namespace qzcli

#endif
