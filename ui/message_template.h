// The window's fixed texts hold one placeholder ("%s", "%d", "%1") for a name or a count.
#pragma once

#include <string>

// text with its first placeholder replaced by value. Wide where a name comes from the
// system, which may hold what UTF-8 cannot (an unpaired surrogate).
template <typename Char>
std::basic_string<Char> FillTemplate(std::basic_string<Char> text, const Char* placeholder,
                                     const std::basic_string<Char>& value) {
  const std::basic_string<Char> mark(placeholder);
  const size_t at = text.find(mark);
  if (at != std::basic_string<Char>::npos) text.replace(at, mark.size(), value);
  return text;
}
