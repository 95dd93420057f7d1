// SysException as a value: location, formatting, copying, rebuilding from a
// received COM error.

#include "diag/sysex.h"

#include <gtest/gtest.h>

#include <string>

namespace pelrin {
namespace {

// Windows: the test program is the module; the host has none.
#if defined(_WIN32)
constexpr const char* kModuleName = "diagsysex_tests";
#else
constexpr const char* kModuleName = "";
#endif

TEST(SysException, StartsWithoutCodeOrMessageAtItsLocation)
{
    const SysException e(42, "C:\\Work\\Engine\\Table.Dat");
    EXPECT_EQ(e.Location(), std::string("[module] ") + kModuleName + " [file] table.dat [line] 42");
    EXPECT_EQ(e.Code(), 0);
    EXPECT_STREQ(e.Message(), "");
}

TEST(SysException, FormatKeepsTheFirst511Characters)
{
    SysException e(1, "f.cpp");
    e.Format("%s-%d", "code", 5);
    EXPECT_STREQ(e.Message(), "code-5");
    // The message may be an argument of its own formatting.
    e.Format("%s|%s", e.Message(), e.Message());
    EXPECT_STREQ(e.Message(), "code-5|code-5");
    e.Format(nullptr);
    EXPECT_STREQ(e.Message(), "code-5|code-5");

    const std::string over511(600, 'a');
    const std::string overWork(3000, 'b');
    e.Format("%s", over511.c_str());
    EXPECT_EQ(e.Message(), over511.substr(0, 511));
    e.Format("%s", overWork.c_str());
    EXPECT_EQ(e.Message(), overWork.substr(0, 511));
}

TEST(SysException, CopiesCarryAllThreeFields)
{
    SysException e(7, "a.cpp");
    e.Format("first");
    e.SetCode(5);
    EXPECT_STREQ(e.Message(), "first"); // SetCode touches nothing else

    SysException copy(e);
    SysException assigned(9, "other.cpp");
    assigned = e;
    for (const SysException* c : {&copy, &assigned}) {
        EXPECT_EQ(c->Code(), 5);
        EXPECT_STREQ(c->Location(), e.Location());
        EXPECT_STREQ(c->Message(), "first");
    }
    SysException& self = assigned;
    assigned = self;
    EXPECT_STREQ(assigned.Message(), "first");
    EXPECT_STREQ(assigned.Location(), e.Location());
}

TEST(SysException, FromComErrorSplitsAPublishedDescriptionAtItsFirstBar)
{
    SysException e(1, "f.cpp");
    const std::string location = e.Location();

    e.FromComError(SYSEX_E_ERROR, std::nullopt, "00000005|a|b||");
    EXPECT_EQ(e.Code(), 5);
    EXPECT_STREQ(e.Message(), "a|b||");
    EXPECT_EQ(e.Location(), location); // no source: the location stays

    e.FromComError(SYSEX_E_ERROR, "[module] pelrin", "80070005|");
    EXPECT_EQ(e.Code(), static_cast<std::int32_t>(0x80070005u));
    EXPECT_STREQ(e.Message(), "");
    EXPECT_STREQ(e.Location(), "[module] pelrin");

    // Fewer than eight digits are a code all the same.
    e.FromComError(SYSEX_E_ERROR, std::nullopt, "5|x");
    EXPECT_EQ(e.Code(), 5);
    EXPECT_STREQ(e.Message(), "x");
    // Not in the published form: the result is the code, the text the message.
    e.FromComError(SYSEX_E_ERROR, std::nullopt, "5 |no number");
    EXPECT_EQ(e.Code(), SYSEX_E_ERROR);
    EXPECT_STREQ(e.Message(), "5 |no number");
    e.FromComError(SYSEX_E_ERROR, std::nullopt, std::nullopt);
    EXPECT_EQ(e.Code(), SYSEX_E_ERROR);
    EXPECT_STREQ(e.Message(), "");
}

TEST(SysException, FromComErrorWithAnotherResultKeepsTheWholeDescription)
{
    SysException e(1, "f.cpp");
    const std::string location = e.Location();
    const std::int32_t accessDenied = static_cast<std::int32_t>(0x80070005u);

    e.FromComError(accessDenied, std::nullopt, std::nullopt);
    EXPECT_EQ(e.Code(), accessDenied);
    EXPECT_STREQ(e.Message(), "");
    EXPECT_EQ(e.Location(), location);

    e.FromComError(accessDenied, "", "00000005|looks published");
    EXPECT_EQ(e.Code(), accessDenied);
    EXPECT_STREQ(e.Message(), "00000005|looks published");
    EXPECT_STREQ(e.Location(), "");

    // Long texts are cut at their fields; views are not read past their end.
    const std::string longText(1000, 'x');
    e.FromComError(accessDenied, longText, longText);
    EXPECT_EQ(e.Location(), longText.substr(0, 259));
    EXPECT_EQ(e.Message(), longText.substr(0, 511));
    const std::string backing = "00000005|abcdef";
    e.FromComError(SYSEX_E_ERROR, std::string_view(backing).substr(0, 3),
        std::string_view(backing).substr(0, 11));
    EXPECT_STREQ(e.Location(), "000");
    EXPECT_EQ(e.Code(), 5);
    EXPECT_STREQ(e.Message(), "ab");
}

} // namespace
} // namespace pelrin
