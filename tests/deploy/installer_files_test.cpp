// The registration parts of the installer packages, made from registry
// scripts, IDL texts and version blocks.

#include "deploy/idl_identities.h"
#include "deploy/registration_rows.h"
#include "deploy/version_block.h"
#include "server/registry_script.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace pelrin::deploy {
namespace {

std::vector<std::string> Rows(const char* script)
{
    std::vector<test::RegistryEntry> entries;
    EXPECT_EQ(RegisteredEntries(script, entries), kScriptOk);
    return RegistryTableRows(entries, "C", "F", "D");
}

TEST(RegistryTableRows, WriteWhatTheScriptRegistersAsTheInstallerReadsIt)
{
    struct Case {
        const char* script;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        // The module becomes the file reference, its folder the folder's;
        // other brackets are literal. Classes go to the install's own root.
        {"HKCR { A = s '%MODULE%' { val N = s '[x] %HELPDIR%%MODULE%,' } }",
         {"reg_C_1\t-1\tSoftware\\Classes\\A\t\t[#F]\tC",
          "reg_C_2\t-1\tSoftware\\Classes\\A\tN\t[\\[]x[\\]] [D][#F],\tC"}},
        // Numbers, and strings that would read as numbers.
        {"HKLM { K { val D = d '-1' val S = s '#1' } }", {"reg_C_1\t2\tK\tD\t#-1\tC", "reg_C_2\t2\tK\tS\t##1\tC"}},
        // A key with nothing in it is created, and removed again on uninstall;
        // a key that only holds keys needs no row.
        {"HKCU { NoRemove P { Q } }", {"reg_C_1\t1\tP\\Q\t*\t\tC"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(c.script), c.rows) << c.script;
}

TEST(RegistryTableRows, RefuseWhatTheTableCannotHold)
{
    for (const char* script : {"HKCC { K = s 'v' }", "HKCR { K = s '' }", "HKCR { K = s 'a\tb' }"})
        EXPECT_THROW(Rows(script), std::invalid_argument) << script;
}

TEST(IdlIdentities, ReadDefinitionsNotReferences)
{
    const auto idl = ReadIdlIdentities(R"(
        // [uuid(00000000-0000-0000-0000-000000000000)] library Commented {}
        [object, uuid(aaaaaaaa-0000-0000-0000-000000000001), dual] interface IOne : IDispatch {};
        [object, uuid(aaaaaaaa-0000-0000-0000-000000000002)] interface ITwo : IUnknown {};
        [uuid(aaaaaaaa-0000-0000-0000-000000000003), version(2.3), lcid(0x0409), helpstring("Lib 2.3")]
        library LIB { [uuid(aaaaaaaa-0000-0000-0000-000000000004)] coclass Thing { [default] interface IOne; }; };)");
    ASSERT_TRUE(idl);
    EXPECT_EQ(idl->libraryName, "LIB");
    EXPECT_EQ(idl->libraryId, "{AAAAAAAA-0000-0000-0000-000000000003}");
    EXPECT_EQ(idl->versionMajor * 10 + idl->versionMinor, 23u);
    EXPECT_EQ(idl->lcid, 0x409u);
    EXPECT_EQ(idl->libraryHelp, "Lib 2.3");
    ASSERT_EQ(idl->interfaces.size(), 2u);
    EXPECT_TRUE(idl->interfaces[0].automation);
    EXPECT_FALSE(idl->interfaces[1].automation);
    ASSERT_EQ(idl->classes.size(), 1u);
    EXPECT_EQ(idl->classes[0].id, "{AAAAAAAA-0000-0000-0000-000000000004}");
    EXPECT_FALSE(ReadIdlIdentities("[uuid(aaaaaaaa-0000-0000-0000-000000000003)] library NoVersion {};"));
}

TEST(FileVersion, ReadsTheFixedVersionBlock)
{
    std::vector<std::uint8_t> module(100, 0x11);
    const std::uint8_t block[] = {0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0, 2, 0, 1, 0, 5, 0, 4, 0};
    std::copy(std::begin(block), std::end(block), module.begin() + 10);
    EXPECT_EQ(FileVersion(module), "1.2.4.5");
    module.resize(40); // the block cut short
    EXPECT_EQ(FileVersion(module), std::nullopt);
}

} // namespace
} // namespace pelrin::deploy
