// Windows: text inside qzcrypt is UTF-8; the console and the command line speak UTF-16.
#pragma once

#ifdef _WIN32

#include <cstddef>
#include <string>

namespace qzcli {

// Bytes that are not UTF-8 become U+FFFD.
std::wstring WideText(const std::string& utf8);
// An unpaired surrogate becomes U+FFFD, which code page 936 lacks, so a password that
// holds one is refused rather than changed.
std::string Utf8Text(const wchar_t* wide, std::size_t length);

}  // namespace qzcli

#endif
