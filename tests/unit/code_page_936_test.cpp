// The one conversion to code page 936: what a lacking character becomes is the caller's
// choice, and text that is not UTF-8 never converts.
#include <gtest/gtest.h>

#include <string>

#include "qz/code_page_936.h"

namespace qz {
namespace {

TEST(CodePage936Test, LackingCharacterIsTheCallersChoice) {
  // "中文" is D6D0 CEC4; "ß" has no form (no best fit to "s"), nor has U+1F600.
  const std::string mixed = "a\xE4\xB8\xAD\xE6\x96\x87-\xC3\x9F-\xF0\x9F\x98\x80";
  std::string out = "kept";

  EXPECT_FALSE(ToCodePage936(mixed, LackingCharacter::kFail, &out));
  EXPECT_EQ("kept", out) << "a failed conversion leaves the output alone";
  ASSERT_TRUE(ToCodePage936(mixed, LackingCharacter::kQuestionMark, &out));
  EXPECT_EQ("a\xD6\xD0\xCE\xC4-?-?", out) << "one '?' per character, a 4-byte one too";
  ASSERT_TRUE(ToCodePage936(mixed, LackingCharacter::kSortsLast, &out));
  EXPECT_EQ("a\xD6\xD0\xCE\xC4-\xFF\xFF-\xFF\xFF", out);

  // Text the code page holds converts whole under every choice.
  for (LackingCharacter choice : {LackingCharacter::kFail, LackingCharacter::kQuestionMark,
                                  LackingCharacter::kSortsLast}) {
    ASSERT_TRUE(ToCodePage936("\xE4\xB8\xAD" "b", choice, &out));
    EXPECT_EQ("\xD6\xD0" "b", out);
    ASSERT_TRUE(ToCodePage936("", choice, &out));
    EXPECT_EQ("", out);
    // Not UTF-8 (a cut character, a surrogate, an overlong form): no choice applies.
    out = "kept";
    EXPECT_FALSE(ToCodePage936("a\xE4\xB8", choice, &out));
    EXPECT_FALSE(ToCodePage936("\xED\xA0\x80", choice, &out));
    EXPECT_FALSE(ToCodePage936("\xC0\xAF", choice, &out));
    EXPECT_EQ("kept", out);
  }
}

}  // namespace
}  // namespace qz
