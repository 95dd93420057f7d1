// The registry script interpreter over the real registry (Wine's), with
// HKEY_CLASSES_ROOT redirected to a scratch key for the whole test, so no
// test touches or depends on other registrations.

#include "base/win_owners.h"
#include "server/registry/memory_registry.h"
#include "server/registry/registry_script_win.h"
#include "tests/server/registry/registry_dump_win.h"
#include "tests/server/registry/shipped_script_entries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelrin {
namespace {

using test::DumpKey;
using test::Lines;
using test::Sorted;

constexpr const char* kScratchParent = "Software\\PelrinTests";
constexpr const char* kScratch = "Software\\PelrinTests\\RegistryScript";
constexpr const wchar_t* kModule = L"C:\\Users\\O'Brien\\Pelrin\\PELRIN.DLL";

// A script text run straight through the interpreter over the real registry.
HRESULT RunScriptText(const char* script, bool registerMode)
{
    Advapi32Registry registry;
    SystemAnsiText text;
    RegistryScriptInterpreter interpreter(registry, text);
    return interpreter.RunScript(script, registerMode);
}

std::wstring ThisProgram()
{
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path;
}

class RealRegistryScriptTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  m_scratch.addressof(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, m_scratch.get()), ERROR_SUCCESS);
    }

    void TearDown() override
    {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        m_scratch.reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
        RegDeleteKeyA(HKEY_CURRENT_USER, kScratchParent);
    }

    Lines Dump()
    {
        Lines lines;
        DumpKey(m_scratch.get(), "HKCR", false, lines);
        return Sorted(lines);
    }

    void AddClass(const char* subkey)
    {
        UniqueHkey key;
        ASSERT_EQ(RegCreateKeyExA(m_scratch.get(), subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  key.addressof(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2),
                  ERROR_SUCCESS);
    }

    static HRESULT RunShippedScript(bool registerMode)
    {
        SystemRegistryScript script;
        const HRESULT added = script.AddSubstitution(L"Module", kModule);
        if (FAILED(added))
            return added;
        return script.RunResourceScript(ThisProgram().c_str(), 101, L"REGISTRY", registerMode);
    }

private:
    UniqueHkey m_scratch;
};

TEST_F(RealRegistryScriptTest, ShippedScriptRegistersExactlyItsEntriesAndUnregistersThem)
{
    ASSERT_EQ(RunShippedScript(true), S_OK);
    EXPECT_EQ(Dump(), test::OwnScriptEntries("C:\\Users\\O'Brien\\Pelrin\\PELRIN.DLL"));

    AddClass("CLSID\\{other}");
    ASSERT_EQ(RunShippedScript(false), S_OK);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\CLSID", "HKCR\\CLSID\\{other}", "HKCR\\CLSID\\{other}: @ = S 'x'"}));
}

TEST_F(RealRegistryScriptTest, UnregisteringWhenNothingIsRegisteredChangesNothing)
{
    ASSERT_EQ(RunShippedScript(false), S_OK);
    EXPECT_EQ(Dump(), Lines{});
    AddClass("CLSID\\{other}");
    AddClass("Unrelated");
    const Lines before = Dump();
    ASSERT_EQ(RunShippedScript(false), S_OK);
    EXPECT_EQ(Dump(), before);
}

TEST_F(RealRegistryScriptTest, AFailingSecondRootBlockIsRolledBack)
{
    ASSERT_EQ(RunScriptText("HKCR { First { val A = d 42 val B = d -1 val C = d '&H10' } }\r\n"
                            "HKCR { Second = s 'b' { Inner { val N = d 'abc' } } }",
                            true),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Dump(), Sorted({"HKCR\\First", "HKCR\\First: A = D 42", "HKCR\\First: B = D 4294967295",
                              "HKCR\\First: C = D 16"}));
}

TEST_F(RealRegistryScriptTest, ModulesAndResourcesThatCannotBeLoadedGiveTheSystemError)
{
    SystemRegistryScript script;
    const HRESULT missingModule = script.RunResourceScript(L"Z:\\nowhere\\missing.dll", 101, L"REGISTRY", true);
    EXPECT_EQ(HRESULT_FACILITY(missingModule), FACILITY_WIN32);
    EXPECT_TRUE(FAILED(missingModule));
    EXPECT_EQ(script.RunResourceScript(ThisProgram().c_str(), 999, L"REGISTRY", true),
              HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(script.RunResourceScript(ThisProgram().c_str(), 101, L"NOSUCHTYPE", true),
              HRESULT_FROM_WIN32(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(Dump(), Lines{});
}

} // namespace
} // namespace pelrin
