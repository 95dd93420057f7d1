// The engine in a process whose ANSI code page is UTF-8 (this program's
// manifest asks for it), where one character can take three or four bytes.

#include "server/pelrin_engine.h"
#include "tests/server/engine_test_support.h"
#include "tests/support/test_phrase_table.h"

#include <gtest/gtest.h>

namespace pelrin {
namespace {

using test::Alternates;
using test::Bstr;
using test::Ignored;
using test::Match;
using test::NewEngine;
using test::Strings;
using test::TestPhraseTable;

// The table's bytes are UTF-8, as the engine works in the ANSI code page.
const TestPhraseTable& Table()
{
    static const TestPhraseTable table{
        {"a\u20AC\u20AC\u20AC\u20AC tax", "\u20AC\u20AC\u20AC levy"},
        {"x\u4E2D\u6587\u5B57\u5B57 text", "\u4E2D\u6587"},
        {"smile\U0001F600\U0001F600 face", "\U0001F600"},
    };
    return table;
}

TEST(Utf8CodePage, TheProgramRunsWithUtf8AsItsAnsiCodePage)
{
    ASSERT_EQ(GetACP(), 65001u);
}

TEST(Utf8CodePage, ArgumentsWhoseBytesOutnumberTwiceTheirCharactersArriveWhole)
{
    ASSERT_EQ(GetACP(), 65001u);
    const ComPtr<IPelrinEngine> engine = NewEngine(Table().get());
    // Five characters, thirteen bytes: more than two bytes per character.
    EXPECT_EQ(Match(engine.get(), L"a\u20AC\u20AC\u20AC\u20AC"),
              (Strings{{L"a\u20AC\u20AC\u20AC\u20AC tax"}}));
    EXPECT_EQ(Match(engine.get(), L"A\u20AC\u20AC\u20AC\u20AC"),
              (Strings{{L"a\u20AC\u20AC\u20AC\u20AC tax"}}));
    EXPECT_EQ(Match(engine.get(), L"x\u4E2D\u6587\u5B57\u5B57"),
              (Strings{{L"x\u4E2D\u6587\u5B57\u5B57 text"}}));
    // Characters beyond the BMP: surrogate pairs of four bytes each.
    EXPECT_EQ(Match(engine.get(), L"smile\U0001F600\U0001F600"),
              (Strings{{L"smile\U0001F600\U0001F600 face"}}));
    // One character short of a first word matches nothing.
    EXPECT_EQ(Match(engine.get(), L"a\u20AC\u20AC\u20AC"), test::kNull);

    EXPECT_EQ(Alternates(engine.get(), L"a\u20AC\u20AC\u20AC\u20AC tax"),
              (Strings{{L"\u20AC\u20AC\u20AC levy"}}));
    EXPECT_EQ(Alternates(engine.get(), L"smile\U0001F600\U0001F600 face"), (Strings{{L"\U0001F600"}}));

    LONG ok = 0;
    EXPECT_EQ(engine->AddIgnoredPhrase(Bstr(L"X\u4E2D\u6587\u5B57\u5B57 TEXT").get(), &ok), S_OK);
    EXPECT_EQ(Ignored(engine.get()), (Strings{{L"X\u4E2D\u6587\u5B57\u5B57 TEXT"}}));
    EXPECT_EQ(Match(engine.get(), L"x\u4E2D\u6587\u5B57\u5B57"), test::Emptied());
    EXPECT_EQ(engine->RemoveIgnoredPhrase(Bstr(L"x\u4E2D\u6587\u5B57\u5B57 text").get(), &ok), S_OK);
    EXPECT_EQ(Match(engine.get(), L"x\u4E2D\u6587\u5B57\u5B57"),
              (Strings{{L"x\u4E2D\u6587\u5B57\u5B57 text"}}));
}

} // namespace
} // namespace pelrin
