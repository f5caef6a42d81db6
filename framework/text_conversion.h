// Conversions between the program's two kinds of text: fixed texts are UTF-8 in the
// source, names and passwords are bytes in the system's ANSI code page. Windows shows
// both through the wide-character API.
#pragma once

#include <string>

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);
std::wstring AnsiToWide(const std::string& ansi);
std::string WideToAnsi(const std::wstring& wide);
