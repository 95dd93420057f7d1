// The registry script interpreter over the in-memory registry: tokens,
// substitution, both modes, recovery, rollback, protected names and limits.

#include "server/registry/memory_registry.h"
#include "server/registry/registry_script.h"
#include "tests/server/registry/lead_byte_text.h"
#include "tests/server/registry/shipped_script_entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace pelrin {
namespace {

using test::Lines;
using test::OwnScriptEntries;
using test::Sorted;
using test::kClassKey;

constexpr const char* kModulePath = "C:\\Program Files\\Pelrin\\PELRIN.DLL";

std::string ShippedScript()
{
#ifdef _WIN32
    std::ifstream file("Z:" PELRIN_SOURCE_DIR "/server/pelrin.rgs", std::ios::binary);
#else
    std::ifstream file(PELRIN_SOURCE_DIR "/server/pelrin.rgs", std::ios::binary);
#endif
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::wstring Widen(std::string_view text)
{
    return {text.begin(), text.end()};
}

class RegistryScriptTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(registry.OpenHandleCount(), 0u) << "a key handle leaked"; }

    std::int32_t Register(const std::string& script) { return interpreter.RunScript(script.c_str(), true); }
    std::int32_t Unregister(const std::string& script) { return interpreter.RunScript(script.c_str(), false); }
    Lines Dump() const { return Sorted(registry.Dump()); }
    void FailOn(MemoryRegistry::Operation operation, std::string path, std::int32_t error)
    {
        registry.SetFaultHook([=](MemoryRegistry::Operation op, const std::string& p) {
            return op == operation && p == path ? error : 0;
        });
    }

    MemoryRegistry registry;
    test::LeadByteText text;
    RegistryScriptInterpreter interpreter{registry, text};
};

// --- Tokens and quoting ---

TEST_F(RegistryScriptTest, QuotedTokensHoldBlanksBracesAndDoubledQuotes)
{
    ASSERT_EQ(Register("HKCR { 'a b' = s 'it''s {x} = y'\r\n\t'q'= s 'v'\n it's = s 'w'}"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\a b", "HKCR\\a b: @ = S 'it's {x} = y'", "HKCR\\q",
                              "HKCR\\q: @ = S 'v'", "HKCR\\it's", "HKCR\\it's: @ = S 'w'"}));
}

TEST_F(RegistryScriptTest, TokensAreSeparatedOnlyByWhiteSpace)
{
    ASSERT_EQ(Register("HKCR\t{\r\na=b\nx{y}\r}"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\a=b", "HKCR\\x{y}"}));
    EXPECT_EQ(Register("HKCR{ a }"), kScriptSyntaxError);
}

TEST_F(RegistryScriptTest, EveryRootNameInEitherFormAndAnyCase)
{
    const std::vector<std::pair<std::string, std::string>> roots{
        {"hkcr", "HKCR"}, {"HKEY_CLASSES_ROOT", "HKCR"}, {"HKCU", "HKCU"}, {"hkey_current_user", "HKCU"},
        {"HKLM", "HKLM"}, {"HKEY_LOCAL_MACHINE", "HKLM"}, {"HKU", "HKU"}, {"HKEY_USERS", "HKU"},
        {"HKPD", "HKPD"}, {"HKEY_PERFORMANCE_DATA", "HKPD"}, {"HKDD", "HKDD"},
        {"HKEY_DYN_DATA", "HKDD"}, {"HKCC", "HKCC"}, {"HKEY_CURRENT_CONFIG", "HKCC"}};
    for (const auto& [name, shortName] : roots) {
        ASSERT_EQ(Register(name + " { K" + name + " }"), kScriptOk) << name;
        EXPECT_TRUE(registry.HasKey(shortName + "\\K" + name)) << name;
    }
}

TEST_F(RegistryScriptTest, MalformedScriptsFailWithTheSyntaxCode)
{
    for (const char* script : {"HKXX { K }", "HKCR K", "HKCR", "HKCR {", "HKCR { K = s", "HKCR { K = s 'v",
                               "HKCR { K = q 'v' }", "HKCR { val N s 'v' }", "HKCR { a\\b }",
                               "HKCR { ForceRemove a\\b }", "'HKCR' { K = s 'v' "}) {
        EXPECT_EQ(Register(script), kScriptSyntaxError) << script;
        EXPECT_EQ(Dump(), Lines{}) << script;
    }
    EXPECT_EQ(Register(""), kScriptOk);
    EXPECT_EQ(Register(" \t\r\n "), kScriptOk);
    EXPECT_EQ(Dump(), Lines{});
}

TEST_F(RegistryScriptTest, KeywordsAreRecognisedQuotedAndInAnyCase)
{
    registry.AddKey("HKCR\\Gone");
    ASSERT_EQ(Register("HKCR { K { 'VAL' N = s 'x' } 'delete' Gone }"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\K", "HKCR\\K: N = S 'x'"}));
}

TEST_F(RegistryScriptTest, DoubleByteCharactersAreSteppedWhole)
{
    text.SetLeadBytes(0x81, 0x9F);
    // Trail bytes equal to a quote, a backslash and a percent sign belong to
    // their characters.
    ASSERT_EQ(Register("HKCR { '\x81'' = s '\x81%' \x81\\ }"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\\x81'", "HKCR\\\x81': @ = S '\x81%'", "HKCR\\\x81\\"}));

    // A lead byte before the terminator never takes the terminator with it.
    text.SetStepsOverTerminator(true);
    EXPECT_EQ(Register("HKCR { K = s '\x81"), kScriptSyntaxError);
    EXPECT_EQ(Register("HKCR { K = s %\x81"), kScriptSyntaxError);
}

// --- Substitution ---

TEST_F(RegistryScriptTest, PlaceholdersAreReplacedWhateverTheirCase)
{
    ASSERT_EQ(interpreter.AddSubstitution(L"Module", L"first"), kScriptOk);
    ASSERT_EQ(interpreter.AddSubstitution(L"MODULE", L"second"), kScriptOk);
    ASSERT_EQ(interpreter.AddSubstitution(L"Name", L"K%Name%"), kScriptOk);
    ASSERT_EQ(Register("HKCR { %name% = s '%module% is 100%% %MoDuLe%' }"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\K%Name%", "HKCR\\K%Name%: @ = S 'first is 100% first'"}));
}

TEST_F(RegistryScriptTest, SubstitutionFailuresComeBeforeAnythingIsWritten)
{
    ASSERT_EQ(interpreter.AddSubstitution(L"Module", L"x"), kScriptOk);
    EXPECT_EQ(Register("HKCR { K = s '%Other%' }"), kScriptSyntaxError);
    EXPECT_EQ(Register("HKCR { K = s '%Module' }"), kScriptSyntaxError);
    EXPECT_EQ(Register("HKCR { K } HKCR { L = s '%' }"), kScriptSyntaxError);
    EXPECT_EQ(Dump(), Lines{});
}

TEST_F(RegistryScriptTest, ApostrophesOfAValueAreDoubledOnlyInsideQuotes)
{
    ASSERT_EQ(interpreter.AddSubstitution(L"Module", L"C:\\Users\\O'Brien\\''x.dll"), kScriptOk);
    ASSERT_EQ(interpreter.AddSubstitution(L"Name", L"O'Brien"), kScriptOk);
    // Doubled, they keep a quoted token whole; outside quotes they are text.
    ASSERT_EQ(Register("HKCR { K = s '%MODULE%' 'it''s' = s %NAME% M = s %MODULE% }"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\K", "HKCR\\K: @ = S 'C:\\Users\\O'Brien\\''x.dll'", "HKCR\\it's",
                              "HKCR\\it's: @ = S 'O'Brien'", "HKCR\\M",
                              "HKCR\\M: @ = S 'C:\\Users\\O'Brien\\''x.dll'"}));
}

TEST_F(RegistryScriptTest, TheSubstitutionListGrowsPastItsFirstRoom)
{
    for (int i = 0; i < 25; ++i)
        ASSERT_EQ(interpreter.AddSubstitution(L"N" + std::to_wstring(i), L"v" + std::to_wstring(i)), kScriptOk);
    ASSERT_EQ(Register("HKCR { K = s '%N0%%N9%%N10%%N24%' }"), kScriptOk);
    EXPECT_EQ(registry.Dump().back(), "HKCR\\K: @ = S 'v0v9v10v24'");
}

// --- Register mode ---

TEST_F(RegistryScriptTest, ShippedScriptIsStoredWithCrLfAndNoTerminator)
{
    const std::string script = ShippedScript();
    ASSERT_GT(script.size(), 2u);
    EXPECT_EQ(script.substr(script.size() - 3), "}\r\n");
    EXPECT_EQ(script.find('\0'), std::string::npos);
    for (std::size_t i = script.find('\n'); i != std::string::npos; i = script.find('\n', i + 1))
        EXPECT_EQ(script[i - 1], '\r') << "bare line feed at " << i;
}

TEST_F(RegistryScriptTest, ShippedScriptRegistersExactlyItsEntries)
{
    ASSERT_EQ(interpreter.AddSubstitution(L"Module", Widen(kModulePath)), kScriptOk);
    ASSERT_EQ(Register(ShippedScript()), kScriptOk);
    EXPECT_EQ(Dump(), OwnScriptEntries(kModulePath));

    // Again: the class key is removed with all it holds and written anew.
    registry.AddKey(std::string(kClassKey) + "\\Added\\Deeper");
    ASSERT_EQ(Register(ShippedScript()), kScriptOk);
    EXPECT_EQ(Dump(), OwnScriptEntries(kModulePath));
}

TEST_F(RegistryScriptTest, NumberValuesAreWrittenAsFourBytes)
{
    ASSERT_EQ(Register("HKCR { K { val A = d '42' val B = D -1 val C = s '' } }"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\K", "HKCR\\K: A = D 42", "HKCR\\K: B = D 4294967295", "HKCR\\K: C = S ''"}));
    // A text the conversion refuses fails with its code; the block is rolled back.
    EXPECT_EQ(Register("HKCR { L { val A = d '4x' } }"), kTypeMismatch);
    EXPECT_EQ(Register("HKCR { L { val A = d 2147483648 } }"), kOverflow);
    EXPECT_FALSE(registry.HasKey("HKCR\\L"));
}

TEST_F(RegistryScriptTest, ExistingKeysAreOpenedAndKeepWhatTheyHold)
{
    registry.SetString("HKCR\\K", "Other", "kept");
    registry.AddKey("HKCR\\K\\Sub");
    registry.AddKey("HKCR\\Locked");
    registry.SetReadOnly("HKCR\\Locked");
    ASSERT_EQ(Register("HKCR { K = s 'v' { Sub { New } } Locked }"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\K", "HKCR\\K: @ = S 'v'", "HKCR\\K: Other = S 'kept'", "HKCR\\K\\Sub",
                              "HKCR\\K\\Sub\\New", "HKCR\\Locked"}));
    // Opened for reading only: neither a value nor a subkey can be written.
    EXPECT_EQ(Register("HKCR { Locked = s 'v' }"), HResultFromWin32(kErrorAccessDenied));
    EXPECT_EQ(Register("HKCR { Locked { New } }"), kScriptSyntaxError);
}

TEST_F(RegistryScriptTest, RefusedCreationsAndWritesFailTheRun)
{
    FailOn(MemoryRegistry::Operation::Create, "HKCR\\K", kErrorAccessDenied);
    EXPECT_EQ(Register("HKCR { K }"), kScriptSyntaxError);
    FailOn(MemoryRegistry::Operation::SetValue, "HKCR\\K", 1450);
    EXPECT_EQ(Register("HKCR { K = s 'v' }"), static_cast<std::int32_t>(0x800705AAu));
    EXPECT_EQ(Dump(), Lines{});
}

TEST_F(RegistryScriptTest, ForceRemoveAndDeleteTakeTheWholeKeyAway)
{
    registry.SetString("HKCR\\F", "Old", "x");
    registry.AddKey("HKCR\\F\\Old\\Deeper");
    registry.AddKey("HKCR\\D\\Sub");
    ASSERT_EQ(Register("HKCR { ForceRemove F = s 'new' { New } Delete D = s 'skipped' After }"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\F", "HKCR\\F: @ = S 'new'", "HKCR\\F\\New", "HKCR\\After"}));
}

TEST_F(RegistryScriptTest, BlocksAfterDeleteOrValHaveNoKeyAndFail)
{
    EXPECT_EQ(Register("HKCR { K Delete D { X } }"), kScriptSyntaxError);
    EXPECT_EQ(Register("HKCR { K { val V = s 'v' { X } } }"), kScriptSyntaxError);
    EXPECT_EQ(Dump(), Lines{});
}

TEST_F(RegistryScriptTest, EmptyKeyNamesNeverStandForTheParent)
{
    registry.SetString("HKCR\\CLSID\\{other}", "", "x");
    for (const char* script : {"HKCR { NoRemove CLSID { ForceRemove '' } }", "HKCR { CLSID { Delete '' } }",
                               "HKCR { CLSID { '' = s 'v' } }"}) {
        EXPECT_EQ(Register(script), kScriptSyntaxError) << script;
        EXPECT_EQ(Unregister(script), kScriptSyntaxError) << script;
        EXPECT_EQ(Dump(), Sorted({"HKCR\\CLSID", "HKCR\\CLSID\\{other}", "HKCR\\CLSID\\{other}: @ = S 'x'"}));
    }
}

// --- Unregister mode and recovery ---

TEST_F(RegistryScriptTest, ShippedScriptUnregistersAndKeepsOthersRegistrations)
{
    ASSERT_EQ(interpreter.AddSubstitution(L"Module", L"M"), kScriptOk);
    ASSERT_EQ(Register(ShippedScript()), kScriptOk);
    ASSERT_EQ(Unregister(ShippedScript()), kScriptOk);
    EXPECT_EQ(Dump(), Lines{"HKCR\\CLSID"}) << "NoRemove keeps CLSID even when it is empty";

    registry.SetString("HKCR\\CLSID\\{other}\\InprocServer32", "", "other.dll");
    const Lines before = Dump();
    ASSERT_EQ(Register(ShippedScript()), kScriptOk);
    ASSERT_EQ(Unregister(ShippedScript()), kScriptOk);
    EXPECT_EQ(Dump(), before);
}

TEST_F(RegistryScriptTest, UnregisteringWhatIsNotThereChangesNothing)
{
    registry.SetString("HKCR\\Unrelated", "", "x");
    registry.AddKey("HKCR\\CLSID\\{other}");
    ASSERT_EQ(interpreter.AddSubstitution(L"Module", L"M"), kScriptOk);
    const Lines before = Dump();
    EXPECT_EQ(Unregister(ShippedScript()), kScriptOk);
    EXPECT_EQ(Dump(), before);
}

TEST_F(RegistryScriptTest, EveryModeReadsTheEntriesAlike)
{
    // Read alike whether a key is there, removed, or stepped over: an "=" after
    // a block begins the next entry, and the name after Delete is a name.
    for (const char* script : {"HKCR { A { B } = s 'x' }", "HKCR { K { Delete NoRemove } L }"}) {
        ASSERT_EQ(Register(script), kScriptOk) << script;
        EXPECT_EQ(Unregister(script), kScriptOk) << script;
        EXPECT_EQ(Dump(), Lines{}) << script;
        EXPECT_EQ(Unregister(script), kScriptOk) << script;
    }
}

TEST_F(RegistryScriptTest, RecoveryLastsUntilAnEntryWithABlockIsSteppedOver)
{
    for (const char* key : {"HKCR\\Present", "HKCR\\Later\\Sub", "HKCR\\After"})
        registry.AddKey(key);
    registry.SetString("HKCR", "V", "x");
    ASSERT_EQ(Unregister("HKCR { Missing Present val V = s 'x' Later { Sub } After }"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR: V = S 'x'", "HKCR\\Present", "HKCR\\Later", "HKCR\\Later\\Sub"}));
}

TEST_F(RegistryScriptTest, KeysWithSubkeysTheScriptDoesNotNameStay)
{
    registry.AddKey("HKCR\\A\\B");
    registry.AddKey("HKCR\\A\\Other");
    registry.SetString("HKCR\\A", "V", "x");
    registry.SetString("HKCR\\A", "W", "y");
    registry.AddKey("HKCR\\F\\Other");
    ASSERT_EQ(Unregister("HKCR { A { B val V = s 'x' } ForceRemove F }"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\A", "HKCR\\A: W = S 'y'", "HKCR\\A\\Other", "HKCR\\F", "HKCR\\F\\Other"}));
}

TEST_F(RegistryScriptTest, AnEmptiedKeyIsRemovedAndItsBlockSteppedOver)
{
    // "{" is a key name the script never meant; it must survive.
    registry.AddKey("HKCR\\{");
    registry.SetString("HKCR\\K", "", "only default");
    registry.AddKey("HKCR\\E");
    registry.AddKey("HKCR\\Next");
    ASSERT_EQ(Unregister("HKCR { K = s 'v' { Sub = s 'y' } E { } Next }"), kScriptOk);
    EXPECT_EQ(Dump(), Lines{"HKCR\\{"});
}

TEST_F(RegistryScriptTest, UnregisterStopsAtSyntaxFailuresButNotAtRefusedDeletions)
{
    for (const char* key : {"HKCR\\A", "HKCR\\B", "HKCR\\D"})
        registry.AddKey(key);
    FailOn(MemoryRegistry::Operation::DeleteKey, "HKCR\\A", kErrorAccessDenied);
    EXPECT_EQ(Unregister("HKCR { A B } HKCR { x\\y } HKCR { D }"), kScriptSyntaxError);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\A", "HKCR\\D"}));

    FailOn(MemoryRegistry::Operation::Close, "HKCR\\D", kErrorInvalidHandle);
    EXPECT_EQ(Unregister("HKCR { D }"), kScriptSyntaxError);
}

// --- Rollback of a failed root block ---

TEST_F(RegistryScriptTest, AFailedRootBlockIsRemovedAndEarlierOnesStay)
{
    registry.AddKey("HKCR\\Shared\\Theirs");
    ASSERT_EQ(Register("HKCR { First = s 'a' }\r\n"
                       "HKCR { E = s 'x' { } Second = s 'b' { Inner = s 'c' } Third = s 'ok' { val N = d 'bad' } }\r\n"
                       "HKCR { Never }"),
              kTypeMismatch);
    EXPECT_EQ(Register("HKCR { NoRemove Shared { Mine val N = d 'bad' } }"), kTypeMismatch);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\First", "HKCR\\First: @ = S 'a'", "HKCR\\Shared", "HKCR\\Shared\\Theirs"}));
}

TEST_F(RegistryScriptTest, AFailedRootBlockLeavesTheRegistryAsItFoundIt)
{
    registry.AddKey("HKCR\\Shared\\Theirs");
    const Lines before = Dump();
    // The registry refuses a name this long; the rollback takes it for a key
    // that is not there and goes on to remove A.
    EXPECT_EQ(Register("HKCR { A { B " + std::string(300, 'n') + " } }"), kScriptSyntaxError);
    EXPECT_EQ(Dump(), before);
    // Nor at a key that Delete named, which the failed pass removed itself.
    EXPECT_EQ(Register("HKCR { A { Delete Gone B val V = d 'bad' } }"), kTypeMismatch);
    EXPECT_EQ(Dump(), before);
    // A syntax error anywhere in the block is found before anything is written.
    for (const char* script : {"HKCR { A { B x\\y } }", "HKCR { NoRemove Shared { Mine } A = s 'x' { val V = q 'v' } }",
                               "HKCR { A { val V = s 'x' val W } }"}) {
        EXPECT_EQ(Register(script), kScriptSyntaxError) << script;
        EXPECT_EQ(Dump(), before) << script;
    }
}

TEST_F(RegistryScriptTest, RollbackFollowsAFailedWriteOrCreation)
{
    FailOn(MemoryRegistry::Operation::SetValue, "HKCR\\A\\B", kErrorAccessDenied);
    EXPECT_EQ(Register("HKCR { A = s 'x' { B = s 'y' } }"), HResultFromWin32(kErrorAccessDenied));
    EXPECT_EQ(Dump(), Lines{});
    FailOn(MemoryRegistry::Operation::Create, "HKCR\\A\\C", kErrorAccessDenied);
    EXPECT_EQ(Register("HKCR { A { B { val V = s 'v' } C } }"), kScriptSyntaxError);
    EXPECT_EQ(Dump(), Lines{});
}

// --- Protected names and NoRemove ---

TEST_F(RegistryScriptTest, ProtectedNamesAreNeverRemovedByForce)
{
    registry.AddKey("HKCR\\CLSID\\{other}");
    registry.AddKey("HKCR\\TypeLib\\{lib}");
    registry.AddKey("HKCR\\CLSIDX\\Sub");
    ASSERT_EQ(Register("HKCR { ForceRemove clsid Delete TYPELIB ForceRemove CLSIDX }"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\CLSID", "HKCR\\CLSID\\{other}", "HKCR\\TypeLib", "HKCR\\TypeLib\\{lib}",
                              "HKCR\\CLSIDX"}));
}

TEST_F(RegistryScriptTest, NoRemoveProtectsItsEntryAndTheRestOfItsBlockOnly)
{
    for (const char* key : {"HKCR\\X", "HKCR\\A\\Inner", "HKCR\\B"})
        registry.AddKey(key);
    ASSERT_EQ(Unregister("HKCR { X NoRemove A { Inner } B }"), kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\A", "HKCR\\B"}));

    // The values a kept key's block names are removed; a lone non-empty
    // default value does not count as a value, so M's block is not read.
    registry.SetString("HKCR\\K", "V", "x");
    registry.SetString("HKCR\\K", "W", "y");
    registry.SetString("HKCR\\L", "V", "x");
    registry.SetString("HKCR\\M", "", "d");
    ASSERT_EQ(Unregister("HKCR { NoRemove K { val V = s 'x' } L { val V = s 'x' } M { val '' = s 'd' } }"),
              kScriptOk);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\A", "HKCR\\B", "HKCR\\K", "HKCR\\K: W = S 'y'", "HKCR\\L", "HKCR\\M",
                              "HKCR\\M: @ = S 'd'"}));
}

// --- Limits ---

TEST_F(RegistryScriptTest, QuotedTokensHoldAtMost4094Bytes)
{
    const std::string longest(4093, 'x');
    ASSERT_EQ(Register("HKCR { K = s '" + longest + "''' }"), kScriptOk);
    EXPECT_EQ(registry.Value("HKCR\\K", "")->data.size(), 4095u);
    EXPECT_EQ(Register("HKCR { L = s '" + longest + "xx' }"), kScriptSyntaxError);
    // A double-byte character may end right at the buffer's end.
    text.SetLeadBytes(0x81, 0x9F);
    ASSERT_EQ(Register("HKCR { K = s '" + longest + "\x81\x40' }"), kScriptOk);
    EXPECT_EQ(registry.Value("HKCR\\K", "")->data.size(), 4096u);
}

TEST_F(RegistryScriptTest, UnquotedTokensHoldAtMost4095Bytes)
{
    const std::string longest(4095, 'x');
    ASSERT_EQ(Register("HKCR { K = s " + longest + " }"), kScriptOk);
    EXPECT_EQ(registry.Value("HKCR\\K", "")->data.size(), 4096u);
    EXPECT_EQ(Register("HKCR { L = s " + longest + "x }"), kScriptSyntaxError);
    EXPECT_EQ(Register("HKCR { L = s " + std::string(100000, 'x') + " }"), kScriptSyntaxError);
}

TEST_F(RegistryScriptTest, PlaceholderNamesHoldAtMost31Characters)
{
    const std::wstring longest(31, L'n');
    ASSERT_EQ(interpreter.AddSubstitution(longest, L"v"), kScriptOk);
    ASSERT_EQ(interpreter.AddSubstitution(longest + L"n", L"v"), kScriptOk);
    EXPECT_EQ(Register("HKCR { K = s '%" + std::string(31, 'n') + "%' }"), kScriptOk);
    EXPECT_EQ(Register("HKCR { L = s '%" + std::string(32, 'n') + "%' }"), kScriptFail);
    EXPECT_FALSE(registry.HasKey("HKCR\\L"));
}

TEST_F(RegistryScriptTest, UnregisterTakesKeyNamesOver259CharactersForKeysThatAreNotThere)
{
    registry.AddKey("HKCR\\K");
    EXPECT_EQ(Unregister("HKCR { " + std::string(259, 'k') + " }"), kScriptOk);
    EXPECT_EQ(Unregister("HKCR { " + std::string(260, 'k') + " { x } K }"), kScriptOk);
    EXPECT_EQ(Dump(), Lines{});
}

TEST_F(RegistryScriptTest, BlocksNestAsDeepAsTheRegistryAndNoDeeper)
{
    const auto nested = [](int depth) {
        std::string script = "HKCR {";
        for (int i = 1; i < depth; ++i)
            script += " k {";
        for (int i = 0; i < depth; ++i)
            script += " }";
        return script;
    };
    ASSERT_EQ(Register(nested(kMaxBlockDepth)), kScriptOk);
    ASSERT_EQ(Unregister(nested(kMaxBlockDepth)), kScriptOk);
    EXPECT_EQ(Dump(), Lines{});
    // Too deep: refused before anything is written.
    EXPECT_EQ(Register(nested(200000)), kScriptSyntaxError);
    EXPECT_EQ(Dump(), Lines{});
    // Only stepped over (nothing is registered): any depth.
    EXPECT_EQ(Unregister(nested(200000)), kScriptOk);
}

} // namespace
} // namespace pelrin
