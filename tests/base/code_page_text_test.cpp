// Each conversion keeps its callers' rules: where a text ends, what an empty
// or null one gives, and how strictly characters must fit.

#include "base/code_page_text_win.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace pelrin {
namespace {

UniqueBstr Bstr(std::wstring_view text)
{
    return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

TEST(CodePageText, TheBstrFormsStopAtTheFirstNulAndTheOthersKeepIt)
{
    const UniqueBstr embedded = Bstr({L"ab\0cd", 5});
    std::string narrow = "old";
    ASSERT_EQ(BstrToNarrow(embedded.get(), narrow), S_OK);
    EXPECT_EQ(narrow, "ab");
    EXPECT_EQ(WideToAnsi(embedded.get(), 5), std::string("ab\0cd", 5));

    UniqueBstr converted;
    ASSERT_EQ(NarrowToBstr(std::string("ab\0cd", 5), converted.addressof()), S_OK);
    EXPECT_EQ(std::wstring(converted.get(), SysStringLen(converted.get())), L"ab");
    std::wstring wide;
    ASSERT_EQ(CodePageToWide(std::string_view("ab\0cd", 5), wide), S_OK);
    EXPECT_EQ(wide, std::wstring(L"ab\0cd", 5));

    // A null BSTR reads as empty; an empty text gives an empty BSTR, not null.
    narrow = "old";
    EXPECT_EQ(BstrToNarrow(nullptr, narrow), S_OK);
    EXPECT_EQ(narrow, "");
    ASSERT_EQ(NarrowToBstr("", converted.addressof()), S_OK);
    ASSERT_TRUE(converted);
    EXPECT_EQ(SysStringLen(converted.get()), 0u);
}

TEST(CodePageText, OnlyTheExactFitRefusesWhatTheCodePageLacks)
{
    std::string narrow;
    EXPECT_EQ(WideToCodePage(L"x\u0100", narrow, 1252), S_OK);
    EXPECT_EQ(narrow.size(), 2u);
    EXPECT_EQ(WideToCodePage(L"x\u0100", narrow, 1252, Fit::Exact), HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(narrow, "");
    // UTF-8 holds every character and takes no best-fit flag.
    EXPECT_EQ(WideToCodePage(L"x\u0100", narrow, CP_UTF8, Fit::Exact), S_OK);
    EXPECT_EQ(narrow, "x\xC4\x80");

    // A code page the system does not know: its error, or null for the
    // diagnostics' form.
    const HRESULT unknown = BstrToNarrow(Bstr(L"x").get(), narrow, 12345);
    EXPECT_TRUE(FAILED(unknown) && HRESULT_FACILITY(unknown) == FACILITY_WIN32) << std::hex << unknown;
    EXPECT_FALSE(AnsiToBstr("x", 12345));
}

TEST(AnsiToBstr, ConvertsCodePagesThatRefusePrecomposed)
{
    const UniqueBstr utf8 = AnsiToBstr("caf\xC3\xA9", CP_UTF8);
    ASSERT_TRUE(utf8);
    EXPECT_EQ(std::wstring(utf8.get()), L"caf\u00e9");
    const UniqueBstr empty = AnsiToBstr("");
    ASSERT_TRUE(empty);
    EXPECT_EQ(SysStringLen(empty.get()), 0u);
}

} // namespace
} // namespace pelrin
