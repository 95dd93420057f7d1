// Saving the ignored-phrase list to Pelrin.ini and loading it back.

#include "engine/engine_error.h"
#include "engine/pelrin_engine_impl.h"
#include "engine/word_lookup.h"
#include "ignored/settings_file.h"
#include "tests/ignored/app_data_scratch_win.h"
#include "tests/support/scenario.h"
#include "tests/support/test_phrase_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pelrin {
namespace {

using test::AppDataRedirect;
using test::FreshScratchFolder;
using test::Lines;
using test::ReadWholeFile;
using test::RunScenarioCapturingDebugOutput;
using test::ScratchFolder;
using test::TraceAfterFolderFound;
using test::TraceUntilFolderCheck;
using test::WithoutConstruction;
using test::WriteWholeFile;
using Phrases = std::vector<std::string>;

const HRESULT kFileNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
const HRESULT kAccessDenied = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
const HRESULT kSharingViolation = HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);

const test::TestPhraseTable& Table()
{
    static const test::TestPhraseTable table{
        {"apple tart", "pie"}, {"Banana split"}, {"cherry pie"}, {"plum jam"}, {"date loaf"}};
    return table;
}

std::string IniFile(const std::string& appData) { return appData + "\\Pelrin\\Pelrin.ini"; }

std::string FolderExists(const std::string& appData)
{
    return "EnsureFolderExists-2, " + appData + "\\Pelrin: attrib: 10";
}

Phrases Items(const PhraseSet& set) { return {set.begin(), set.end()}; }

std::string Value(const std::string& file, const char* key)
{
    char value[512];
    GetPrivateProfileStringA("Ignore", key, "<none>", value, sizeof value, file.c_str());
    return value;
}

// The key names of section "Ignore", in file order.
Phrases Keys(const std::string& file)
{
    char names[4096];
    GetPrivateProfileStringA("Ignore", nullptr, "", names, sizeof names, file.c_str());
    Phrases keys;
    for (const char* name = names; *name != '\0'; name += keys.back().size() + 1)
        keys.emplace_back(name);
    return keys;
}

HRESULT Save(const Phrases& phrases)
{
    PelrinEngineImpl impl(Table().get());
    impl.m_ignoredPhrases.insert(phrases.begin(), phrases.end());
    return SaveIgnoredPhrases(impl);
}

struct Loaded {
    HRESULT hr;
    Phrases phrases;
};

// Loads into a fresh object whose list holds `before`, from a settings file
// with the given text (none: no file), in an application-data folder of its own.
Loaded LoadFrom(const std::string& scratch, const std::optional<std::string>& text,
                const Phrases& before = {})
{
    const std::string appData = FreshScratchFolder(scratch);
    if (text)
        WriteWholeFile(IniFile(appData), *text);
    const AppDataRedirect redirect(appData);
    PelrinEngineImpl impl(Table().get());
    impl.m_ignoredPhrases.insert(before.begin(), before.end());
    const HRESULT hr = LoadIgnoredPhrases(impl);
    return {hr, Items(impl.m_ignoredPhrases)};
}

TEST(SaveIgnoredPhrases, WritesTheCountThenOneKeyPerPhraseNumberedInListOrder)
{
    const std::string appData = FreshScratchFolder("save_order");
    const AppDataRedirect redirect(appData);
    ASSERT_EQ(Save({"cherry pie", "Banana split", "apple tart"}), kS_OK);
    const std::string file = IniFile(appData);
    EXPECT_EQ(Keys(file), (Phrases{"Count", "Phrase0", "Phrase1", "Phrase2"}));
    EXPECT_EQ(Value(file, "Count"), "3");
    EXPECT_EQ(Value(file, "Phrase0"), "apple tart");
    EXPECT_EQ(Value(file, "Phrase1"), "Banana split");
    EXPECT_EQ(Value(file, "Phrase2"), "cherry pie");
}

TEST(SaveIgnoredPhrases, EmptyListWritesACountOfZeroOnlyAndLoadsNothing)
{
    const std::string appData = FreshScratchFolder("save_empty");
    {
        const AppDataRedirect redirect(appData);
        ASSERT_EQ(Save({}), kS_OK);
        EXPECT_EQ(Keys(IniFile(appData)), (Phrases{"Count"}));
        EXPECT_EQ(Value(IniFile(appData), "Count"), "0");
    }
    const Loaded loaded =
        LoadFrom("save_empty_load", ReadWholeFile(IniFile(appData)), {"plum jam"});
    EXPECT_EQ(loaded.hr, kS_OK);
    EXPECT_EQ(loaded.phrases, (Phrases{"plum jam"}));
}

TEST(SaveIgnoredPhrases, ShorterSaveLeavesHigherKeysThatLoadingIgnores)
{
    const std::string appData = FreshScratchFolder("three_after_five");
    const AppDataRedirect redirect(appData);
    ASSERT_EQ(Save({"apple tart", "Banana split", "cherry pie", "date loaf", "plum jam"}), kS_OK);
    ASSERT_EQ(Save({"apple tart", "cherry pie", "plum jam"}), kS_OK);
    const std::string file = IniFile(appData);
    EXPECT_EQ(Value(file, "Count"), "3");
    EXPECT_EQ(Value(file, "Phrase2"), "plum jam");
    EXPECT_EQ(Value(file, "Phrase3"), "date loaf");
    EXPECT_EQ(Value(file, "Phrase4"), "plum jam");

    PelrinEngineImpl impl(Table().get());
    EXPECT_EQ(LoadIgnoredPhrases(impl), kS_OK);
    EXPECT_EQ(Items(impl.m_ignoredPhrases), (Phrases{"apple tart", "cherry pie", "plum jam"}));
}

TEST(SaveIgnoredPhrases, TwoObjectsSavingInTurnLeaveTheLastCountOverTheirKeys)
{
    const std::string appData = FreshScratchFolder("two_objects");
    const AppDataRedirect redirect(appData);
    PelrinEngineImpl first(Table().get());
    PelrinEngineImpl second(Table().get());
    first.m_ignoredPhrases = {"apple tart", "Banana split", "cherry pie"};
    second.m_ignoredPhrases = {"date loaf"};
    ASSERT_EQ(SaveIgnoredPhrases(first), kS_OK);
    ASSERT_EQ(SaveIgnoredPhrases(second), kS_OK);
    EXPECT_EQ(first.m_appIniFile, second.m_appIniFile);
    EXPECT_EQ(Value(IniFile(appData), "Phrase1"), "Banana split");

    PelrinEngineImpl reader(Table().get());
    EXPECT_EQ(LoadIgnoredPhrases(reader), kS_OK);
    EXPECT_EQ(Items(reader.m_ignoredPhrases), (Phrases{"date loaf"}));
    // The first object saves again: its whole list is back.
    ASSERT_EQ(SaveIgnoredPhrases(first), kS_OK);
    EXPECT_EQ(LoadIgnoredPhrases(reader), kS_OK);
    EXPECT_EQ(Items(reader.m_ignoredPhrases),
              (Phrases{"apple tart", "Banana split", "cherry pie", "date loaf"}));
}

PELRIN_SCENARIO(unwritable_file)
{
    const std::string appData = ScratchFolder("unwritable_file");
    const std::string file = IniFile(appData);
    const AppDataRedirect redirect(appData);
    // Wine running as root writes to read-only files, so the file is also
    // held open without write sharing, as an editor might.
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    UniqueFileHandle holder(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    const HRESULT hr = holder ? Save({"apple tart", "plum jam"}) : -1;
    holder.reset();
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    return hr;
}

TEST(SaveIgnoredPhrases, UnwritableFileReportsTheErrorCodeAndLosesNothing)
{
    const std::string appData = FreshScratchFolder("unwritable_file");
    const std::string file = IniFile(appData);
    const std::string before = "[Other]\r\nKeep=1\r\n[Ignore]\r\nCount=1\r\nPhrase0=date loaf\r\n";
    WriteWholeFile(file, before);

    const auto run = RunScenarioCapturingDebugOutput("unwritable_file");
    // The last-error code of the failed write, as a failure of facility Win32.
    ASSERT_LT(run.exitCode, 0);
    ASSERT_EQ(HRESULT_FACILITY(run.exitCode), FACILITY_WIN32);
    EXPECT_EQ(
        WithoutConstruction(run.debugLines),
        Lines({TraceUntilFolderCheck("CPelrinEngine::SaveIgnoredPhrases", appData),
               {FolderExists(appData)},
               TraceAfterFolderFound(appData),
               {"CPelrinEngine::SaveIgnoredPhrases-3, error: " +
                std::to_string(HRESULT_CODE(run.exitCode))}}));
    EXPECT_EQ(ReadWholeFile(file), before);
}

TEST(LoadIgnoredPhrases, MergesKeepingEarlierEntriesWithoutAddingCaseVariants)
{
    const std::string text = "[Ignore]\r\nCount=3\r\nPhrase0=APPLE TART\r\nPhrase1=plum jam\r\n"
                             "Phrase2=not in the table\r\n";
    const Loaded loaded = LoadFrom("load_merge", text, {"Apple Tart", "date loaf"});
    EXPECT_EQ(loaded.hr, kS_OK);
    EXPECT_EQ(loaded.phrases, (Phrases{"Apple Tart", "date loaf", "not in the table", "plum jam"}));

    // Loading again adds nothing; the loaded phrases are still offered.
    const AppDataRedirect redirect(ScratchFolder("load_merge"));
    PelrinEngineImpl impl(Table().get());
    ASSERT_EQ(LoadIgnoredPhrases(impl), kS_OK);
    ASSERT_EQ(LoadIgnoredPhrases(impl), kS_OK);
    EXPECT_EQ(Items(impl.m_ignoredPhrases),
              (Phrases{"APPLE TART", "not in the table", "plum jam"}));
    const PhraseSet* apple = FindPhrasesOfFirstWord(impl, "apple");
    ASSERT_NE(apple, nullptr);
    EXPECT_EQ(Items(*apple), (Phrases{"apple tart"}));
    ASSERT_NE(FindPhrasesOfFirstWord(impl, "plum"), nullptr);
    EXPECT_EQ(FindPhrasesOfFirstWord(impl, "plum")->size(), 1u);
}

TEST(LoadIgnoredPhrases, WithoutAPositiveCountNothingIsLoadedAndTheResultIsSuccess)
{
    const std::string keys = "Phrase0=apple tart\r\n";
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"no_file", std::nullopt},
        {"no_section", "[Other]\r\nCount=1\r\n" + keys},
        {"no_count", "[Ignore]\r\n" + keys},
        {"count_zero", "[Ignore]\r\nCount=0\r\n" + keys},
        {"count_negative", "[Ignore]\r\nCount=-4\r\n" + keys},
        {"count_not_a_number", "[Ignore]\r\nCount=many\r\n" + keys},
    };
    for (const auto& [name, text] : cases) {
        const Loaded loaded = LoadFrom("load_nothing_" + name, text);
        EXPECT_EQ(loaded.hr, kS_OK) << name;
        EXPECT_TRUE(loaded.phrases.empty()) << name;
    }
}

TEST(LoadIgnoredPhrases, AFileThatIsThereButCannotBeReadFailsAndLoadsNothing)
{
    // A folder in its place; a file that another program holds open without sharing.
    const std::string folderInPlace = FreshScratchFolder("unreadable_folder");
    std::filesystem::create_directories(IniFile(folderInPlace));
    {
        const AppDataRedirect redirect(folderInPlace);
        PelrinEngineImpl impl(Table().get());
        EXPECT_EQ(LoadIgnoredPhrases(impl), kAccessDenied);
        impl.m_ignoredPhrases = {"plum jam"};
        EXPECT_EQ(SaveIgnoredPhrases(impl), kAccessDenied);
    }
    const std::string held = FreshScratchFolder("unreadable_held");
    WriteWholeFile(IniFile(held), "[Ignore]\r\nCount=1\r\nPhrase0=plum jam\r\n");
    const UniqueFileHandle holder(
        CreateFileA(IniFile(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    const AppDataRedirect redirect(held);
    PelrinEngineImpl impl(Table().get());
    EXPECT_EQ(LoadIgnoredPhrases(impl), kSharingViolation);
    EXPECT_TRUE(impl.m_ignoredPhrases.empty());
}

TEST(LoadIgnoredPhrases, ValuesComeBackCutTo255Bytes)
{
    const std::string appData = FreshScratchFolder("long_value");
    const AppDataRedirect redirect(appData);
    std::string longPhrase = "apple ";
    for (char c = 'a'; longPhrase.size() < 300; c = c == 'z' ? 'a' : static_cast<char>(c + 1))
        longPhrase += c;
    ASSERT_EQ(Save({longPhrase, "plum jam"}), kS_OK);
    PelrinEngineImpl impl(Table().get());
    EXPECT_EQ(LoadIgnoredPhrases(impl), kS_OK);
    EXPECT_EQ(Items(impl.m_ignoredPhrases), (Phrases{longPhrase.substr(0, 255), "plum jam"}));
}

PELRIN_SCENARIO(count_beyond_keys)
{
    const AppDataRedirect redirect(ScratchFolder("count_beyond_keys"));
    PelrinEngineImpl impl(Table().get());
    const HRESULT hr = LoadIgnoredPhrases(impl);
    return Items(impl.m_ignoredPhrases) == Phrases{"apple tart", "plum jam"} ? hr : -1;
}

TEST(LoadIgnoredPhrases, CountBeyondTheKeysLoadsThePresentOnesAndFailsWithTheLastKeysCode)
{
    // Keys 1 and 4 are missing, 3 is empty, 5 is past the count.
    const std::string appData = FreshScratchFolder("count_beyond_keys");
    WriteWholeFile(IniFile(appData), "[Ignore]\r\nCount=5\r\nPhrase0=apple tart\r\n"
                                     "Phrase2=plum jam\r\nPhrase3=\r\nPhrase5=date loaf\r\n");
    const auto run = RunScenarioCapturingDebugOutput("count_beyond_keys");
    EXPECT_EQ(run.exitCode, kFileNotFound);
    EXPECT_EQ(WithoutConstruction(run.debugLines),
              Lines({TraceUntilFolderCheck("CPelrinEngine::LoadIgnoredPhrases", appData),
                     {FolderExists(appData)},
                     TraceAfterFolderFound(appData),
                     {"CPelrinEngine::LoadIgnoredPhrases-3, Phrase1: error: 2",
                      "CPelrinEngine::LoadIgnoredPhrases-3, Phrase3: error: 2",
                      "CPelrinEngine::LoadIgnoredPhrases-3, Phrase4: error: 2",
                      "CPelrinEngine::LoadIgnoredPhrases-4, hr: -2147024894"}}));
}

PELRIN_SCENARIO(huge_count)
{
    const AppDataRedirect redirect(ScratchFolder("huge_count"));
    PelrinEngineImpl impl(Table().get());
    const HRESULT hr = LoadIgnoredPhrases(impl);
    return Items(impl.m_ignoredPhrases) == Phrases{"apple tart", "date loaf", "plum jam"} ? hr : -1;
}

TEST(LoadIgnoredPhrases, HugeCountReturnsPromptlyWithEveryKeyTheFileHolds)
{
    const std::string appData = FreshScratchFolder("huge_count");
    WriteWholeFile(IniFile(appData), "[Ignore]\r\nCount=2147483647\r\nPhrase0=apple tart\r\n"
                                     "Phrase7=plum jam\r\nPhrase2000000000=date loaf\r\n");
    const ULONGLONG start = GetTickCount64();
    const auto run = RunScenarioCapturingDebugOutput("huge_count");
    EXPECT_LT(GetTickCount64() - start, 30000u);
    EXPECT_EQ(run.exitCode, kFileNotFound);

    // The first 1024 missing keys one by one (1 to 6, 8 to 1025), then one
    // line for each run of missing keys.
    int singles = 0;
    for (const auto& line : run.debugLines)
        singles += line.starts_with("CPelrinEngine::LoadIgnoredPhrases-3, Phrase") &&
                   line.find(" to ") == std::string::npos;
    EXPECT_EQ(singles, 1024);
    ASSERT_GE(run.debugLines.size(), 4u);
    EXPECT_EQ(
        Phrases(run.debugLines.end() - 4, run.debugLines.end()),
        Lines(
            {{"CPelrinEngine::LoadIgnoredPhrases-3, Phrase1025: error: 2",
              "CPelrinEngine::LoadIgnoredPhrases-3, Phrase1026 to Phrase1999999999: error: 2",
              "CPelrinEngine::LoadIgnoredPhrases-3, Phrase2000000001 to Phrase2147483646: error: 2",
              "CPelrinEngine::LoadIgnoredPhrases-4, hr: -2147024894"}}));
}

} // namespace
} // namespace pelrin
