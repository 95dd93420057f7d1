// The paths self-registration works with: which module paths it accepts, and
// where it looks for the type library and its help files. These run in the
// ANSI code page 1252 that the test prefix uses.

#include "server/registration.h"

#include <gtest/gtest.h>

#include <string>

namespace pelrin {
namespace {

const HRESULT kTooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
const HRESULT kNotInCodePage = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);

// A path of exactly `length` characters ending in \PELRIN.DLL.
std::wstring PathOfLength(std::size_t length)
{
    const std::wstring name = L"\\PELRIN.DLL";
    return L"C:\\" + std::wstring(length - 3 - name.size(), L'x') + name;
}

TEST(RegistrationPath, AcceptsWhatTheCodePageHoldsWithinMaxPath)
{
    ASSERT_EQ(GetACP(), 1252u) << "the cases below are written for code page 1252";
    RegistrationPath path;
    for (const std::wstring& accepted :
         {std::wstring(L"C:\\Program Files\\O'Brien's Pelrin\\PELRIN.DLL"), std::wstring(L"Z:\\caf\u00E9\\PELRIN.DLL"),
          std::wstring(L"\\\\server\\share\\PELRIN.DLL"), PathOfLength(MAX_PATH - 1)}) {
        EXPECT_EQ(CheckRegistrationPath(accepted, path), S_OK);
        EXPECT_EQ(path.wide, accepted);
    }
    EXPECT_EQ(path.ansi.size(), MAX_PATH - 1u);
    ASSERT_EQ(CheckRegistrationPath(L"Z:\\caf\u00E9\\PELRIN.DLL", path), S_OK);
    EXPECT_EQ(path.ansi, "Z:\\caf\xE9\\PELRIN.DLL");
}

TEST(RegistrationPath, RefusesWhatWouldBeRegisteredAsAnotherPath)
{
    RegistrationPath path;
    // Cut at MAX_PATH - 1 characters by a narrow buffer.
    EXPECT_EQ(CheckRegistrationPath(PathOfLength(MAX_PATH), path), kTooLong);
    EXPECT_TRUE(path.wide.empty());
    EXPECT_EQ(CheckRegistrationPath(PathOfLength(1000), path), kTooLong);
    EXPECT_EQ(CheckRegistrationPath(PathOfLength(40000), path), kTooLong);

    // U+0100 would become "A" by best fit, the others the default character;
    // a lone surrogate has no narrow form at all.
    for (const wchar_t* notInCodePage : {L"C:\\\u0100bc\\PELRIN.DLL", L"C:\\\u03A9\\PELRIN.DLL",
                                         L"C:\\\u65E5\u672C\\PELRIN.DLL", L"C:\\\xD800x\\PELRIN.DLL"}) {
        EXPECT_EQ(CheckRegistrationPath(notInCodePage, path), kNotInCodePage);
        EXPECT_TRUE(path.wide.empty());
        EXPECT_TRUE(path.ansi.empty());
    }
    EXPECT_EQ(CheckRegistrationPath(L"", path), E_INVALIDARG);
}

TEST(RegistrationPath, ThisProgramsOwnPath)
{
    RegistrationPath path;
    ASSERT_EQ(GetRegistrationPath(nullptr, path), S_OK);
    wchar_t expected[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, expected, MAX_PATH), 0u);
    EXPECT_EQ(path.wide, expected);
    EXPECT_NE(GetRegistrationPath(reinterpret_cast<HMODULE>(0x10), path), S_OK);
}

TEST(TypeLibraryPaths, FallbackReplacesOnlyTheFileNamesExtension)
{
    EXPECT_EQ(TypeLibraryFallbackPath("C:\\dir\\PELRIN.DLL"), "C:\\dir\\PELRIN.tlb");
    EXPECT_EQ(TypeLibraryFallbackPath("C:\\dir\\pelrin.old.dll"), "C:\\dir\\pelrin.old.tlb");
    // A dot in a folder's name is not the file's extension.
    EXPECT_EQ(TypeLibraryFallbackPath("C:\\v1.0\\PELRIN"), "C:\\v1.0\\PELRIN.tlb");
    EXPECT_EQ(TypeLibraryFallbackPath("Z:/v1.0/PELRIN"), "Z:/v1.0/PELRIN.tlb");
    EXPECT_EQ(TypeLibraryFallbackPath("PELRIN"), "PELRIN.tlb");
    EXPECT_EQ(TypeLibraryFallbackPath("C:\\dir\\PELRIN."), "C:\\dir\\PELRIN.tlb");
}

TEST(TypeLibraryPaths, HelpDirectoryKeepsItsSeparator)
{
    EXPECT_EQ(HelpDirectoryOf("C:\\Program Files\\Pelrin\\PELRIN.DLL"), "C:\\Program Files\\Pelrin\\");
    EXPECT_EQ(HelpDirectoryOf("Z:/work/PELRIN.DLL"), "Z:/work/");
    EXPECT_EQ(HelpDirectoryOf("C:PELRIN.DLL"), "C:");
    EXPECT_EQ(HelpDirectoryOf("\\\\server\\share\\PELRIN.DLL"), "\\\\server\\share\\");
    EXPECT_EQ(HelpDirectoryOf("PELRIN.DLL"), "");
}

} // namespace
} // namespace pelrin
