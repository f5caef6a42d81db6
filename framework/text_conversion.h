// Conversions between the program's text, UTF-8 (fixed texts and names alike), and the
// wide text through which Windows shows it. The ANSI code page is never used: it cannot
// hold every name.
#pragma once

#include <string>

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);
