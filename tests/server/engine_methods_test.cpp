// The methods of IPelrinEngine through the table of functions: the shapes of
// their results, the conversion of their string arguments, word matching,
// alternate lookup, the ignored-phrase list, and running out of memory.

#include "server/pelrin_engine.h"
#include "tests/server/com_test_objects.h"
#include "tests/server/engine_test_support.h"
#include "tests/support/allocation_failure.h"
#include "tests/support/test_phrase_table.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace pelrin {
namespace {

using test::Alternates;
using test::Bstr;
using test::CountedObject;
using test::Ignored;
using test::Emptied;
using test::kExpected;
using test::kNull;
using test::kRefusedFirstCharacter;
using test::Match;
using test::NewEngine;
using test::ReadStrings;
using test::StandardTable;
using test::SweepAllocationFailures;
using test::Strings;
using test::TestPhraseTable;

const Strings kApples{{L"apple crumble", L"Apple pie"}};

class EngineMethods : public testing::Test {
protected:
    HRESULT Add(const std::wstring& phrase)
    {
        LONG ok = 0;
        return m_engine->AddIgnoredPhrase(Bstr(phrase).get(), &ok);
    }
    HRESULT Remove(const std::wstring& phrase)
    {
        LONG ok = 0;
        return m_engine->RemoveIgnoredPhrase(Bstr(phrase).get(), &ok);
    }
    HRESULT Clear()
    {
        LONG ok = 0;
        return m_engine->ClearIgnoredPhrases(&ok);
    }

    ComPtr<IPelrinEngine> m_engine = NewEngine(StandardTable());
};

// The three methods that answer a string-array result, each with an argument
// that gives VT_NULL and one that gives an array.
struct ResultCall {
    const char* name;
    std::function<HRESULT(IPelrinEngine*, VARIANT*)> answerNull;
    std::function<HRESULT(IPelrinEngine*, VARIANT*)> answerArray;
};

std::vector<ResultCall> ResultCalls()
{
    const auto match = [](const wchar_t* word) {
        return [word](IPelrinEngine* e, VARIANT* out) { return e->MatchWord(Bstr(word).get(), out); };
    };
    const auto lookup = [](const wchar_t* phrase) {
        return [phrase](IPelrinEngine* e, VARIANT* out) {
            return e->LookupAlternatePhrases(Bstr(phrase).get(), out);
        };
    };
    const auto ignored = [](bool withOne) {
        return [withOne](IPelrinEngine* e, VARIANT* out) {
            LONG ok = 0;
            if (withOne)
                e->AddIgnoredPhrase(Bstr(L"Pear tart").get(), &ok);
            else
                e->ClearIgnoredPhrases(&ok);
            return e->GetIgnoredPhrases(out);
        };
    };
    return {{"MatchWord", match(L"zebra"), match(L"apple")},
            {"LookupAlternatePhrases", lookup(L"zebra"), lookup(L"Apple pie")},
            {"GetIgnoredPhrases", ignored(false), ignored(true)}};
}

TEST_F(EngineMethods, ResultsAreZeroBasedArraysOfBstrsOrVtNull)
{
    UniqueVariant result;
    ASSERT_EQ(m_engine->LookupAlternatePhrases(Bstr(L"Apple pie").get(), result.addressof()), S_OK);
    ASSERT_EQ(V_VT(&result.get()), VT_ARRAY | VT_VARIANT);
    LONG lower = -1;
    LONG upper = -1;
    EXPECT_EQ(SafeArrayGetLBound(V_ARRAY(&result.get()), 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(V_ARRAY(&result.get()), 1, &upper), S_OK);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 2);
    // ReadStrings checks the dimension, the bounds and that each element is VT_BSTR.
    EXPECT_EQ(ReadStrings(result.get()), (Strings{{L"tart", L"cake", L"tart"}}));

    for (const auto& call : ResultCalls()) {
        EXPECT_EQ(call.answerNull(m_engine.get(), result.addressof()), S_OK) << call.name;
        EXPECT_EQ(V_VT(&result.get()), VT_NULL) << call.name;
        EXPECT_EQ(call.answerArray(m_engine.get(), result.addressof()), S_OK) << call.name;
        const Strings strings = ReadStrings(result.get());
        ASSERT_TRUE(strings.has_value()) << call.name;
        EXPECT_FALSE(strings->empty()) << call.name;
    }
}

TEST_F(EngineMethods, APriorValueOfTheOutputIsFreedWhateverTheAnswer)
{
    for (const auto& call : ResultCalls()) {
        for (const auto& answer : {call.answerNull, call.answerArray}) {
            CountedObject held;
            VARIANT out;
            // An object reference: freeing it releases the object.
            VariantInit(&out);
            V_VT(&out) = VT_UNKNOWN;
            V_UNKNOWN(&out) = &held;
            held.AddRef();
            EXPECT_EQ(answer(m_engine.get(), &out), S_OK) << call.name;
            EXPECT_EQ(held.m_refCount, 1) << call.name;
            VariantClear(&out);

            // An array holding the object: freeing it destroys the array.
            SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, 1);
            LONG index = 0;
            ASSERT_EQ(SafeArrayPutElement(array, &index, static_cast<IUnknown*>(&held)), S_OK);
            EXPECT_EQ(held.m_refCount, 2);
            V_VT(&out) = VT_ARRAY | VT_UNKNOWN;
            V_ARRAY(&out) = array;
            EXPECT_EQ(answer(m_engine.get(), &out), S_OK) << call.name;
            EXPECT_EQ(held.m_refCount, 1) << call.name;
            VariantClear(&out);

            // A string: the output takes the new answer.
            V_VT(&out) = VT_BSTR;
            V_BSTR(&out) = SysAllocString(L"previous answer");
            EXPECT_EQ(answer(m_engine.get(), &out), S_OK) << call.name;
            EXPECT_NE(V_VT(&out), VT_BSTR) << call.name;
            VariantClear(&out);
        }
    }
}

TEST_F(EngineMethods, AnOutputThatCannotBeFreedFailsTheCall)
{
    for (const auto& call : ResultCalls()) {
        VARIANT out;
        VariantInit(&out);
        SAFEARRAY* locked = SafeArrayCreateVector(VT_VARIANT, 0, 1);
        ASSERT_EQ(SafeArrayLock(locked), S_OK);
        V_VT(&out) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(&out) = locked;
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(call.answerArray(m_engine.get(), &out), DISP_E_ARRAYISLOCKED) << call.name;
        // The method stops at the failed clearing: no VT_NULL, no new array.
        EXPECT_NE(V_VT(&out), VT_NULL) << call.name;
        // Only 1.0.0.1's MatchWord tells it with an error object as well.
        ComPtr<IErrorInfo> error;
        const bool published = GetErrorInfo(0, error.addressof()) == S_OK;
        EXPECT_EQ(published, kExpected.matchWordPublishesErrorObject && call.name == std::string("MatchWord"))
            << call.name;
        if (published) {
            GUID iid{};
            UniqueBstr source;
            UniqueBstr description;
            UniqueBstr helpFile;
            DWORD helpContext = 1;
            EXPECT_EQ(error->GetGUID(&iid), S_OK);
            EXPECT_TRUE(IsEqualGUID(iid, IID_IPelrinEngine));
            EXPECT_EQ(error->GetSource(source.addressof()), S_OK);
            EXPECT_STREQ(source.get(), L"Pelrin.PelrinEngine.1");
            EXPECT_EQ(error->GetDescription(description.addressof()), S_OK);
            EXPECT_STREQ(description.get(), L"failed to clear VARIANT return result");
            error->GetHelpFile(helpFile.addressof());
            EXPECT_EQ(helpFile.get() == nullptr ? 0u : SysStringLen(helpFile.get()), 0u);
            EXPECT_EQ(error->GetHelpContext(&helpContext), S_OK);
            EXPECT_EQ(helpContext, 0u);
        }
        EXPECT_EQ(SafeArrayUnlock(locked), S_OK);
        EXPECT_EQ(SafeArrayDestroy(locked), S_OK);

        EXPECT_EQ(call.answerArray(m_engine.get(), nullptr), E_POINTER) << call.name;
    }
}

TEST_F(EngineMethods, StringArgumentsAreConvertedInTheAnsiCodePage)
{
    // A null BSTR is the empty string.
    UniqueVariant result;
    EXPECT_EQ(m_engine->MatchWord(nullptr, result.addressof()), S_OK);
    EXPECT_EQ(V_VT(&result.get()), VT_NULL);
    EXPECT_EQ(m_engine->LookupAlternatePhrases(nullptr, result.addressof()), S_OK);
    EXPECT_EQ(V_VT(&result.get()), VT_NULL);
    LONG ok = 0;
    EXPECT_EQ(m_engine->AddIgnoredPhrase(nullptr, &ok), S_OK);
    EXPECT_EQ(m_engine->RemoveIgnoredPhrase(nullptr, &ok), E_UNEXPECTED);

    // An embedded NUL ends the string.
    EXPECT_EQ(Match(m_engine.get(), std::wstring(L"apple\0pie", 9)), kApples);
    EXPECT_EQ(Alternates(m_engine.get(), std::wstring(L"1st prize\0!", 11)), (Strings{{L"first place"}}));

    // Code page 1252 bytes above 0x7F arrive as those bytes and come back as
    // the same characters; case folding leaves them alone.
    EXPECT_EQ(Match(m_engine.get(), L"CAF\u00E9"), (Strings{{L"caf\u00E9 au lait"}}));
    EXPECT_EQ(Match(m_engine.get(), L"CAF\u00C9"), kNull);
    EXPECT_EQ(Alternates(m_engine.get(), L"caf\u00E9 au lait"), (Strings{{L"caf\u00E9 cr\u00E8me"}}));

    // A character the code page lacks becomes its default character '?'.
    EXPECT_EQ(Match(m_engine.get(), L"x\u4E2D"), (Strings{{L"x? marks the spot"}}));
}

TEST_F(EngineMethods, TenMegabyteArgumentsAreConvertedWhole)
{
    const std::wstring padding(5 * 1024 * 1024, L'a'); // 10 MB of UTF-16
    EXPECT_EQ(Match(m_engine.get(), L"apple" + padding), kNull);
    EXPECT_EQ(Match(m_engine.get(), std::wstring(L"apple\0", 6) + padding), kApples);
    EXPECT_EQ(Alternates(m_engine.get(), L"Apple pie" + padding), kNull);
    EXPECT_EQ(Add(L"Apple pie" + padding), S_OK);
    EXPECT_EQ(Ignored(m_engine.get()), kNull);
    EXPECT_EQ(Add(L"apple " + padding), S_OK);
    EXPECT_EQ(Ignored(m_engine.get()), kNull);
}

TEST_F(EngineMethods, MatchWordAnswersThePhrasesOfAWholeFirstWordIgnoringAsciiCase)
{
    for (const wchar_t* word : {L"apple", L"APPLE", L"aPpLe"})
        EXPECT_EQ(Match(m_engine.get(), word), kApples) << word;
    EXPECT_EQ(Match(m_engine.get(), L"1st"), (Strings{{L"1st prize"}}));
    EXPECT_EQ(Match(m_engine.get(), L"WITH"), (Strings{{L"with regard to", L"with respect to"}}));
    // Whole first words only, untrimmed; a leading blank or non-ASCII first
    // character never matches.
    for (const wchar_t* word :
         {L"appl", L"apple pie", L"apple ", L" apple", L"", L"pie", L"tart", L"\u00C4pfel", L"_"})
        EXPECT_EQ(Match(m_engine.get(), word), kNull) << word;
}

TEST_F(EngineMethods, LookupAlternatePhrasesAnswersAWholePhraseExactlyInTableOrder)
{
    // A repeated alternate comes back twice.
    EXPECT_EQ(Alternates(m_engine.get(), L"Apple pie"), (Strings{{L"tart", L"cake", L"tart"}}));
    EXPECT_EQ(Alternates(m_engine.get(), L"with regard to"), (Strings{{L"about"}}));
    // A group without alternates; letter case, blanks; an alternate only.
    for (const wchar_t* phrase : {L"apple crumble", L"apple pie", L"APPLE PIE", L" Apple pie",
                                  L"Apple pie ", L"Apple  pie", L"", L"tart", L"about"})
        EXPECT_EQ(Alternates(m_engine.get(), phrase), kNull) << phrase;
}

TEST_F(EngineMethods, AnIgnoredPhraseLeavesMatchWordButKeepsItsAlternates)
{
    EXPECT_EQ(Add(L"Apple pie"), S_OK);
    EXPECT_EQ(Match(m_engine.get(), L"apple"), (Strings{{L"apple crumble"}}));
    EXPECT_EQ(Ignored(m_engine.get()), (Strings{{L"Apple pie"}}));
    EXPECT_EQ(Alternates(m_engine.get(), L"Apple pie"), (Strings{{L"tart", L"cake", L"tart"}}));

    // Again, or in another case: nothing changes.
    EXPECT_EQ(Add(L"Apple pie"), S_OK);
    EXPECT_EQ(Add(L"APPLE PIE"), S_OK);
    EXPECT_EQ(Ignored(m_engine.get()), (Strings{{L"Apple pie"}}));
    EXPECT_EQ(Match(m_engine.get(), L"apple"), (Strings{{L"apple crumble"}}));

    // Taken back under another case, it is offered again.
    EXPECT_EQ(Remove(L"apple PIE"), S_OK);
    EXPECT_EQ(Match(m_engine.get(), L"apple"), kApples);
    EXPECT_EQ(Ignored(m_engine.get()), kNull);
    EXPECT_EQ(Remove(L"Apple pie"), E_UNEXPECTED);
}

TEST_F(EngineMethods, APhraseIsListedAsIgnoredButComesBackAsTheTableSpellsIt)
{
    EXPECT_EQ(Add(L"apple PIE"), S_OK);
    EXPECT_EQ(Ignored(m_engine.get()), (Strings{{L"apple PIE"}}));
    EXPECT_EQ(Remove(L"APPLE pie"), S_OK);
    EXPECT_EQ(Match(m_engine.get(), L"apple"), kApples);
    // So what word matching offers still finds its alternates.
    EXPECT_EQ(Alternates(m_engine.get(), L"Apple pie"), (Strings{{L"tart", L"cake", L"tart"}}));

    EXPECT_EQ(Add(L"PEAR TART"), S_OK);
    EXPECT_EQ(Ignored(m_engine.get()), (Strings{{L"PEAR TART"}}));
    EXPECT_EQ(Clear(), S_OK);
    EXPECT_EQ(Match(m_engine.get(), L"pear"), (Strings{{L"Pear tart"}}));
    EXPECT_EQ(Ignored(m_engine.get()), kNull);
}

TEST_F(EngineMethods, AWordWhosePhrasesAreAllIgnoredAnswersAnEmptyArrayOrNull)
{
    EXPECT_EQ(Add(L"Apple pie"), S_OK);
    EXPECT_EQ(Add(L"apple crumble"), S_OK);
    EXPECT_EQ(Match(m_engine.get(), L"apple"), Emptied()); // an empty array: upper bound -1
    EXPECT_EQ(Remove(L"apple pie"), S_OK);
    EXPECT_EQ(Match(m_engine.get(), L"apple"), (Strings{{L"Apple pie"}}));

    // An unknown phrase whose bucket holds others leaves its word's empty entry.
    EXPECT_EQ(Add(L"apricot jam"), S_OK);
    EXPECT_EQ(Match(m_engine.get(), L"APRICOT"), Emptied());
    EXPECT_EQ(Ignored(m_engine.get()), (Strings{{L"apple crumble"}}));
    // One whose bucket is empty leaves nothing.
    EXPECT_EQ(Add(L"zebra crossing"), S_OK);
    EXPECT_EQ(Match(m_engine.get(), L"zebra"), kNull);
}

TEST_F(EngineMethods, WhichFirstCharactersHaveABucketIsTheVersionsRule)
{
    // 1.0.0.5 refuses any first character but a letter or digit; in 1.0.0.1
    // those are phrases like any other (and a byte above 0x7F has nothing).
    const HRESULT refused = kRefusedFirstCharacter;
    EXPECT_EQ(Add(L""), S_OK);
    EXPECT_EQ(Add(L" Apple pie"), S_OK);
    EXPECT_EQ(Add(L"_Apple pie"), refused);
    EXPECT_EQ(Add(L"-x"), refused);
    EXPECT_EQ(Add(L"\u00C4pfel"), refused);
    EXPECT_EQ(Add(L"\u4E2D"), refused); // arrives as '?'
    EXPECT_EQ(Ignored(m_engine.get()), kNull);
    EXPECT_EQ(Match(m_engine.get(), L"apple"), kApples);
    EXPECT_EQ(Remove(L"not listed"), E_UNEXPECTED);
    EXPECT_EQ(Clear(), S_OK);

    // A phrase of the table that begins with punctuation.
    const test::TestPhraseTable table{{"_under score"}, {"#tag"}};
    const ComPtr<IPelrinEngine> engine = NewEngine(table.get());
    const Strings underScore = kExpected.refusesFirstByteNotLetterOrDigit ? kNull : Strings{{L"_under score"}};
    EXPECT_EQ(Match(engine.get(), L"_UNDER"), underScore);
    LONG ok = 0;
    EXPECT_EQ(engine->AddIgnoredPhrase(Bstr(L"_under score").get(), &ok), refused);
    EXPECT_EQ(Ignored(engine.get()), kExpected.refusesFirstByteNotLetterOrDigit ? kNull : underScore);
    EXPECT_EQ(Match(engine.get(), L"_under"), kExpected.refusesFirstByteNotLetterOrDigit ? kNull : Emptied());
    EXPECT_EQ(engine->ClearIgnoredPhrases(&ok), S_OK);
    EXPECT_EQ(Match(engine.get(), L"_under"), underScore);
}

TEST_F(EngineMethods, TheListIsReportedInCaseInsensitiveOrderAndClearedWhole)
{
    for (const wchar_t* phrase : {L"with regard to", L"Pear tart", L"apple crumble", L"1st prize"})
        EXPECT_EQ(Add(phrase), S_OK) << phrase;
    EXPECT_EQ(Ignored(m_engine.get()),
              (Strings{{L"1st prize", L"apple crumble", L"Pear tart", L"with regard to"}}));
    EXPECT_EQ(Match(m_engine.get(), L"pear"), Emptied());
    EXPECT_EQ(Clear(), S_OK);
    EXPECT_EQ(Ignored(m_engine.get()), kNull);
    EXPECT_EQ(Match(m_engine.get(), L"pear"), (Strings{{L"Pear tart"}}));
    EXPECT_EQ(Match(m_engine.get(), L"with"), (Strings{{L"with regard to", L"with respect to"}}));
}

TEST_F(EngineMethods, BOkKeepsWhateverTheCallerStoredInIt)
{
    LONG ok = 12345;
    EXPECT_EQ(m_engine->AddIgnoredPhrase(Bstr(L"Pear tart").get(), &ok), S_OK);
    EXPECT_EQ(m_engine->AddIgnoredPhrase(Bstr(L"_x").get(), &ok), kRefusedFirstCharacter);
    EXPECT_EQ(m_engine->RemoveIgnoredPhrase(Bstr(L"Pear tart").get(), &ok), S_OK);
    EXPECT_EQ(m_engine->RemoveIgnoredPhrase(Bstr(L"Pear tart").get(), &ok), E_UNEXPECTED);
    EXPECT_EQ(m_engine->ClearIgnoredPhrases(&ok), S_OK);
    EXPECT_EQ(ok, 12345);
}

TEST_F(EngineMethods, RunningOutOfMemoryAnswersEOutOfMemoryAndKeepsTheStoreWhole)
{
    // Long enough that converting it needs the heap.
    const UniqueBstr longWord = Bstr(L"withwithwithwithwithwith");
    UniqueVariant result;
    SweepAllocationFailures([&] { return m_engine->MatchWord(longWord.get(), result.addressof()); },
                            [&] { EXPECT_EQ(V_VT(&result.get()), VT_NULL); });
    const UniqueBstr longPhrase = Bstr(L"with regard to, and at length");
    SweepAllocationFailures(
        [&] { return m_engine->LookupAlternatePhrases(longPhrase.get(), result.addressof()); },
        [&] { EXPECT_EQ(V_VT(&result.get()), VT_NULL); });

    // A failed move changes nothing. A first word too long to be kept inside
    // a string needs the heap to find its entry, the phrase moving back
    // needs none. (The BSTRs are made before any allocation fails.)
    const TestPhraseTable table{{"incontrovertibly with regard to it"}, {"incontrovertibly with respect to it"}};
    const ComPtr<IPelrinEngine> engine = NewEngine(table.get());
    const std::wstring word = L"incontrovertibly";
    const Strings both{{word + L" with regard to it", word + L" with respect to it"}};
    const UniqueBstr regard = Bstr(word + L" with regard to it");
    const UniqueBstr respect = Bstr(word + L" with respect to it");
    LONG ok = 0;
    SweepAllocationFailures([&] { return engine->AddIgnoredPhrase(regard.get(), &ok); },
                            [&] {
                                EXPECT_EQ(Ignored(engine.get()), kNull);
                                EXPECT_EQ(Match(engine.get(), word), both);
                            });
    SweepAllocationFailures([&] { return engine->RemoveIgnoredPhrase(regard.get(), &ok); },
                            [&] {
                                EXPECT_EQ(Ignored(engine.get()), (Strings{{word + L" with regard to it"}}));
                                EXPECT_EQ(Match(engine.get(), word)->size(), 1u);
                            });
    ASSERT_EQ(engine->AddIgnoredPhrase(regard.get(), &ok), S_OK);
    ASSERT_EQ(engine->AddIgnoredPhrase(respect.get(), &ok), S_OK);
    // A failed clear has put back some phrases and keeps the whole list.
    SweepAllocationFailures([&] { return engine->ClearIgnoredPhrases(&ok); },
                            [&] { EXPECT_EQ(Ignored(engine.get()), both); });
    EXPECT_EQ(Ignored(engine.get()), kNull);
    EXPECT_EQ(Match(engine.get(), word), both);
}

} // namespace
} // namespace pelrin
