// Conversions between the texts that windows hold and UTF-8 for comparisons.
#pragma once

#include <string>

namespace qz::e2e {

std::string WideToUtf8(const std::wstring& text);
// ANSI bytes in the system's code page (936 under the test environment) to UTF-8.
std::string AnsiToUtf8(const std::string& bytes);

}  // namespace qz::e2e
