// Code page 936, the encoding of a ".qz" file's password and stored name, from UTF-8.
// No best fit: "ß" never becomes "s"; what a character the code page lacks becomes is
// the caller's explicit choice.
#pragma once

#include <string>
#include <string_view>

#include "crypto/secret.h"

namespace qz {

enum class LackingCharacter {
  kFail,          // the conversion fails (a password must be exactly what was typed)
  kQuestionMark,  // "?" for each (a stored name, as every writer stores it)
  kSortsLast,     // 0xFF 0xFF for each, after every character (a sort key)
};

// UTF-8 text in code page 936 (a surrogate pair is one character). False when the text
// is not UTF-8, or with kFail when a character is lacking; *out is set only on success.
// Every copy made on the way is wiped: the text may be a password.
bool ToCodePage936(const std::string& utf8, LackingCharacter lacking, std::string* out);
// The same for a password, into guarded memory; *out is set only on success.
bool ToCodePage936(std::string_view utf8, LackingCharacter lacking, Secret* out);

}  // namespace qz
