// Finding and creating the application folder, as the debugger output shows it.

#include "engine/engine_error.h"
#include "engine/pelrin_engine_impl.h"
#include "ignored/app_folder.h"
#include "ignored/settings_file.h"
#include "tests/ignored/app_data_scratch_win.h"
#include "tests/support/allocation_failure.h"
#include "tests/support/scenario.h"
#include "tests/support/test_phrase_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

namespace pelrin {
namespace {

using test::AppDataRedirect;
using test::FreshScratchFolder;
using test::Lines;
using test::RunScenarioCapturingDebugOutput;
using test::ScratchFolder;
using test::SweepAllocationFailures;
using test::TraceAfterFolderFound;
using test::TraceUntilFolderCheck;
using test::WithoutConstruction;

constexpr const char kSave[] = "CPelrinEngine::SaveIgnoredPhrases";
constexpr const char kLoad[] = "CPelrinEngine::LoadIgnoredPhrases";

const test::TestPhraseTable& Table()
{
    static const test::TestPhraseTable table{{"apple tart", "pie"}, {"plum jam"}};
    return table;
}

HRESULT SaveOnce(PelrinEngineImpl& impl)
{
    impl.m_ignoredPhrases = {"plum jam"};
    return SaveIgnoredPhrases(impl);
}

PELRIN_SCENARIO(first_save)
{
    const AppDataRedirect redirect(ScratchFolder("first_save"));
    PelrinEngineImpl impl(Table().get());
    const HRESULT first = SaveOnce(impl);
    return first == kS_OK ? SaveIgnoredPhrases(impl) : first;
}

PELRIN_SCENARIO(save_into_existing_folder)
{
    const AppDataRedirect redirect(ScratchFolder("first_save"));
    PelrinEngineImpl impl(Table().get());
    return SaveOnce(impl);
}

TEST(AppFolder, FirstSaveCreatesTheFolderAndLaterCallsFindIt)
{
    const std::string appData = FreshScratchFolder("first_save");
    const std::string folder = appData + "\\Pelrin";
    auto run = RunScenarioCapturingDebugOutput("first_save");
    EXPECT_EQ(run.exitCode, 0);
    // The verbose GetFileAttributes message stays off at the default level;
    // the second call on the object uses the cached paths.
    EXPECT_EQ(
        WithoutConstruction(run.debugLines),
        Lines({TraceUntilFolderCheck(kSave, appData),
               {"EnsureFolderExists-2, " + folder + ": attrib: ffffffff",
                "EnsureFolderExists-6, created: " + folder},
               TraceAfterFolderFound(appData),
               {"CPelrinEngine::SaveIgnoredPhrases-4, hr: 0",
                "CPelrinEngine::SaveIgnoredPhrases-1, entering",
                "PelrinEngineImpl::GetAppIniFile-1, entering", TraceAfterFolderFound(appData)[1],
                "CPelrinEngine::SaveIgnoredPhrases-4, hr: 0"}}));
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "\\Pelrin.ini"));

    // Another object computes its own paths and finds the folder silently.
    run = RunScenarioCapturingDebugOutput("save_into_existing_folder");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(WithoutConstruction(run.debugLines),
              Lines({TraceUntilFolderCheck(kSave, appData),
                     {"EnsureFolderExists-2, " + folder + ": attrib: 10"},
                     TraceAfterFolderFound(appData),
                     {"CPelrinEngine::SaveIgnoredPhrases-4, hr: 0"}}));
}

TEST(AppFolder, DataPathEndingInABackslashGetsNoSecondOne)
{
    const std::string appData = FreshScratchFolder("backslash");
    for (const std::string& value : {appData + "\\", appData}) {
        const AppDataRedirect redirect(value);
        PelrinEngineImpl impl(Table().get());
        ASSERT_EQ(GetAppIniFile(impl), kS_OK) << value;
        EXPECT_EQ(impl.m_appFolder, appData + "\\Pelrin") << value;
        EXPECT_EQ(impl.m_appIniFile, appData + "\\Pelrin\\Pelrin.ini") << value;
    }
}

TEST(AppFolder, RunningOutOfMemoryWhileThePathsAreBuiltCachesNoPartOfThem)
{
    const std::string appData = FreshScratchFolder("out_of_memory");
    const AppDataRedirect redirect(appData);
    for (const auto operation : {&SaveIgnoredPhrases, &LoadIgnoredPhrases}) {
        std::optional<PelrinEngineImpl> impl(std::in_place, Table().get());
        impl->m_ignoredPhrases = {"plum jam"};
        SweepAllocationFailures([&] { return operation(*impl); },
                                [&] {
                                    // The same object then uses the right file.
                                    EXPECT_EQ(operation(*impl), kS_OK);
                                    EXPECT_EQ(impl->m_appIniFile, appData + "\\Pelrin\\Pelrin.ini");
                                    impl.emplace(Table().get());
                                    impl->m_ignoredPhrases = {"plum jam"};
                                });
    }
}

// `folder` with subfolders added below it until its path is `length` characters long.
std::string FolderOfLength(std::string folder, std::size_t length)
{
    while (folder.size() < length) {
        const std::size_t remaining = length - folder.size();
        folder += '\\';
        folder.append(remaining - 1 <= 100 ? remaining - 1 : 50, 'p');
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    return folder;
}

TEST(AppFolder, SettingsFilePathBeyondMaxPathIsRefusedWithNothingWrittenAnywhere)
{
    const HRESULT tooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    // A path the profile functions cannot take must not land in the current folder.
    const std::string current = FreshScratchFolder("long_path_current_folder");
    const std::size_t below = std::strlen("\\Pelrin\\Pelrin.ini");
    for (const auto& [length, expected] : {std::pair<std::size_t, HRESULT>{MAX_PATH - 1, kS_OK},
                                           {MAX_PATH, tooLong},
                                           {MAX_PATH + 6, tooLong}}) {
        const std::string appData = FolderOfLength(FreshScratchFolder("long_path"), length - below);
        const AppDataRedirect redirect(appData);
        char previous[MAX_PATH];
        ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, previous), 0u);
        ASSERT_TRUE(SetCurrentDirectoryA(current.c_str()));
        PelrinEngineImpl impl(Table().get());
        impl.m_ignoredPhrases = {"plum jam"};
        const HRESULT save = SaveIgnoredPhrases(impl);
        impl.m_ignoredPhrases.clear();
        const HRESULT load = LoadIgnoredPhrases(impl);
        SetCurrentDirectoryA(previous);
        EXPECT_EQ(save, expected) << length;
        EXPECT_EQ(load, expected) << length;
        // Saved and loaded back, or nothing anywhere.
        EXPECT_EQ(impl.m_ignoredPhrases.size(), expected == kS_OK ? 1u : 0u) << length;
        EXPECT_EQ(std::filesystem::exists(appData + "\\Pelrin"), expected == kS_OK) << length;
        EXPECT_TRUE(std::filesystem::is_empty(current)) << length;
    }
}

constexpr HRESULT kAlreadyExists = static_cast<HRESULT>(0x800700B7); // from ERROR_ALREADY_EXISTS

PELRIN_SCENARIO(file_in_the_way)
{
    const std::string appData = ScratchFolder("file_in_the_way");
    const AppDataRedirect redirect(appData);
    PelrinEngineImpl impl(Table().get());
    impl.m_ignoredPhrases = {"plum jam"};
    const HRESULT save = SaveIgnoredPhrases(impl);
    const HRESULT load = LoadIgnoredPhrases(impl);
    if (save != kAlreadyExists || load != kAlreadyExists || !impl.m_appFolder.empty() ||
        !impl.m_appIniFile.empty())
        return 1;
    // Nothing was cached, so once the file is gone the next call succeeds.
    std::filesystem::remove(appData + "\\Pelrin");
    return SaveIgnoredPhrases(impl);
}

TEST(AppFolder, FileInTheWayFailsBothOperationsWithoutAFallbackUntilItIsGone)
{
    const std::string appData = FreshScratchFolder("file_in_the_way");
    const std::string folder = appData + "\\Pelrin";
    test::WriteWholeFile(folder, "not a folder");
    // The bare name "Pelrin.ini" would be the one in the Windows directory.
    char windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH);
    const std::string bareIni = std::string(windows) + "\\Pelrin.ini";
    const auto lastWrite = [&] {
        std::error_code missing;
        return std::filesystem::last_write_time(bareIni, missing);
    };
    const auto bareIniWritten = lastWrite();

    const auto run = RunScenarioCapturingDebugOutput("file_in_the_way");
    EXPECT_EQ(run.exitCode, 0);
    const auto failed = [&](const std::string& operation) {
        return std::vector<std::string>{"EnsureFolderExists-2, " + folder + ": attrib: 20",
                                        "EnsureFolderExists-7, " + folder +
                                            " exists, but not a dir",
                                        "PelrinEngineImpl::GetAppFolder-3, error: 183",
                                        "PelrinEngineImpl::GetAppIniFile-2, error: -2147024713",
                                        operation + "-2, error: -2147024713"};
    };
    EXPECT_EQ(WithoutConstruction(run.debugLines),
              Lines({TraceUntilFolderCheck(kSave, appData),
                     failed(kSave),
                     TraceUntilFolderCheck(kLoad, appData),
                     failed(kLoad),
                     TraceUntilFolderCheck(kSave, appData),
                     {"EnsureFolderExists-2, " + folder + ": attrib: ffffffff",
                      "EnsureFolderExists-6, created: " + folder},
                     TraceAfterFolderFound(appData),
                     {"CPelrinEngine::SaveIgnoredPhrases-4, hr: 0"}}));
    EXPECT_EQ(lastWrite(), bareIniWritten);
}

PELRIN_SCENARIO(lookup_fails)
{
    // The shell cannot create a data folder below a file.
    const AppDataRedirect redirect(ScratchFolder("folder_failures") + "\\blocker\\data");
    PelrinEngineImpl impl(Table().get());
    const HRESULT save = SaveIgnoredPhrases(impl);
    const HRESULT load = LoadIgnoredPhrases(impl);
    return save == load && impl.m_appFolder.empty() && impl.m_appIniFile.empty() ? save : 1;
}

PELRIN_SCENARIO(creation_fails)
{
    test::SetTraceVariable("2");
    // The shell hands out a file as the data folder; "Pelrin" cannot go below it.
    const AppDataRedirect redirect(ScratchFolder("folder_failures") + "\\blocker");
    PelrinEngineImpl impl(Table().get());
    const HRESULT load = LoadIgnoredPhrases(impl);
    return impl.m_appFolder.empty() && impl.m_appIniFile.empty() ? load : 1;
}

TEST(AppFolder, FailedLookupOrCreationFailsWithANegativeCodeAndCachesNothing)
{
    const std::string blocker = FreshScratchFolder("folder_failures") + "\\blocker";
    test::WriteWholeFile(blocker, "a file");

    auto run = RunScenarioCapturingDebugOutput("lookup_fails");
    ASSERT_LT(run.exitCode, 0);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(run.exitCode));
    const std::string code = std::to_string(run.exitCode);
    const auto lookupFailed = [&](const std::string& operation) {
        return std::vector<std::string>{
            operation + "-1, entering",
            "PelrinEngineImpl::GetAppIniFile-1, entering",
            "PelrinEngineImpl::GetAppFolder-1, entering",
            "GetUserAppDataFolder-1, entering",
            std::string("GetUserAppDataFolder-2, SHGetFolderPath error ") + hex,
            "PelrinEngineImpl::GetAppFolder-2, error: " + code,
            "PelrinEngineImpl::GetAppIniFile-2, error: " + code,
            operation + "-2, error: " + code};
    };
    EXPECT_EQ(WithoutConstruction(run.debugLines),
              Lines({lookupFailed(kSave), lookupFailed(kLoad)}));

    run = RunScenarioCapturingDebugOutput("creation_fails");
    EXPECT_EQ(run.exitCode, static_cast<HRESULT>(0x80070003)); // from ERROR_PATH_NOT_FOUND
    const std::string folder = blocker + "\\Pelrin";
    EXPECT_EQ(WithoutConstruction(run.debugLines),
              Lines({TraceUntilFolderCheck(kLoad, blocker),
                     {"EnsureFolderExists-2, " + folder + ": attrib: ffffffff",
                      "EnsureFolderExists-3, GetFileAttributes error: 3",
                      "EnsureFolderExists-5, CreateDirectory error: 3",
                      "PelrinEngineImpl::GetAppFolder-3, error: 3",
                      "PelrinEngineImpl::GetAppIniFile-2, error: -2147024893",
                      "CPelrinEngine::LoadIgnoredPhrases-2, error: -2147024893"}}));
}

} // namespace
} // namespace pelrin
