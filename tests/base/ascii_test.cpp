#include "base/ascii.h"

#include <gtest/gtest.h>

namespace pelrin {
namespace {

TEST(AsciiText, FoldsOnlyAsciiLettersAndOrdersAsLowerCaseUnsignedBytes)
{
    EXPECT_TRUE(EqualsIgnoringAsciiCase("ProgID", "PROGid"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC9", "\xE9")); // no letters beyond ASCII
    EXPECT_FALSE(EqualsIgnoringAsciiCase("ab", "abc"));
    EXPECT_EQ(ToUpperAscii("{ab-\xE9}"), "{AB-\xE9}");
    EXPECT_EQ(ToLowerAscii("HKCR\\Ab\xC9"), "hkcr\\ab\xC9");

    // '_' lies between the capitals and the small letters: folding to upper
    // case instead would order it after "A".
    EXPECT_LT(CompareIgnoringAsciiCase("_", "A"), 0);
    EXPECT_GT(CompareIgnoringAsciiCase("\x80", "z"), 0);
    EXPECT_LT(CompareIgnoringAsciiCase("ab", "AbC"), 0);
    EXPECT_EQ(CompareIgnoringAsciiCase("aB", "Ab"), 0);

    EXPECT_TRUE(IsAsciiAlnum('z') && IsAsciiAlnum('0') && IsAsciiAlnum(U'Q'));
    EXPECT_FALSE(IsAsciiAlnum(0xC0) || IsAsciiAlnum(U'\uFF10') || IsAsciiAlnum('_'));
}

} // namespace
} // namespace pelrin
