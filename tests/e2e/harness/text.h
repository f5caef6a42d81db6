// Conversions between the texts that windows hold and UTF-8 for comparisons.
#pragma once

#include <string>

namespace qz::e2e {

std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

}  // namespace qz::e2e
