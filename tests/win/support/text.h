// Conversions between UTF-16, which windows and the wide file functions take, and UTF-8,
// in which the tests compare texts and name files (as the engine does).
#pragma once

#include <string>

namespace qz::wintest {

// Empty when the text has no form in the other encoding (bytes that are not UTF-8, an
// unpaired surrogate): such a path names no file, as with the engine.
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

}  // namespace qz::wintest
