// The registration parts of the installer packages, made from registry
// scripts, IDL texts and version blocks, and the rules their tables keep.

#include "deploy/idl_identities.h"
#include "deploy/installer_tables.h"
#include "deploy/registration_rows.h"
#include "deploy/version_block.h"
#include "server/registry/registry_script.h"

#include <gtest/gtest.h>

#include <functional>

#include <stdexcept>
#include <string>
#include <vector>

namespace pelrin::deploy {
namespace {

std::vector<std::string> Rows(const char* script)
{
    std::vector<RegistryEntry> entries;
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

// A node of a version resource: header, UTF-16 key, value, children, each
// padded to 32 bits.
std::vector<std::uint8_t> Node(std::u16string_view key, std::vector<std::uint8_t> value,
                               const std::vector<std::vector<std::uint8_t>>& children = {})
{
    std::vector<std::uint8_t> node(6);
    const auto pad = [&] { node.resize((node.size() + 3) & ~std::size_t{3}); };
    for (const char16_t c : std::u16string(key) + u'\0') {
        node.push_back(static_cast<std::uint8_t>(c));
        node.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    pad();
    node.insert(node.end(), value.begin(), value.end());
    for (const auto& child : children) {
        pad();
        node.insert(node.end(), child.begin(), child.end());
    }
    node[0] = static_cast<std::uint8_t>(node.size());
    node[1] = static_cast<std::uint8_t>(node.size() >> 8);
    node[2] = static_cast<std::uint8_t>(value.size());
    return node;
}

TEST(VersionBlock, ReadsTheFileVersionAndTheFirstTranslation)
{
    const std::vector<std::uint8_t> fixed = {0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0, 2, 0, 1, 0, 5, 0, 4, 0};
    std::vector<std::uint8_t> fixedInfo(52);
    std::copy(fixed.begin(), fixed.end(), fixedInfo.begin());
    const auto translation = Node(u"VarFileInfo", {}, {Node(u"Translation", {0x09, 0x04, 0xB0, 0x04})});
    for (const bool withTranslation : {true, false}) {
        std::vector<std::uint8_t> module(12, 0x11); // the block starts 32-bit aligned
        const auto block = withTranslation ? Node(u"VS_VERSION_INFO", fixedInfo, {Node(u"StringFileInfo", {}), translation})
                                           : Node(u"VS_VERSION_INFO", fixedInfo);
        module.insert(module.end(), block.begin(), block.end());
        const auto version = ReadVersionBlock(module);
        ASSERT_TRUE(version);
        EXPECT_EQ(version->fileVersion, "1.2.4.5");
        EXPECT_EQ(version->language, withTranslation ? 1033u : 0u);
    }
    std::vector<std::uint8_t> cut(fixedInfo.begin(), fixedInfo.begin() + 40);
    EXPECT_FALSE(ReadVersionBlock(cut));
}

TEST(ProductVersion, FoldsTheFourthFieldIntoTheThird)
{
    EXPECT_EQ(ProductVersion("1.0.0.5"), "1.0.5");
    EXPECT_EQ(ProductVersion("1.0.0.1"), "1.0.1");
    EXPECT_EQ(ProductVersion("2.3.4.999"), "2.3.4999");
    for (const char* bad : {"1.0.0.1000", "256.0.0.1", "1.0.66.0", "1.0.0", "1.0.0.5.", "1.0.0.x"})
        EXPECT_THROW(ProductVersion(bad), std::invalid_argument) << bad;
}

InstallerTable Table(const std::string& text)
{
    return ReadIdt(text);
}

// The head lines of the File and MsiFileHash tables.
const std::string kFileHead = "File\tComponent_\tFileName\tFileSize\tVersion\tLanguage\tAttributes\tSequence\r\n"
                              "s72\ts72\tl255\ti4\tS72\tS20\tI2\ti4\r\nFile\tFile\r\n";
const std::string kFileHashHead = "File_\tOptions\tHashPart1\tHashPart2\tHashPart3\tHashPart4\r\n"
                                  "s72\ti2\ti4\ti4\ti4\ti4\r\nMsiFileHash\tFile_\r\n";

TEST(SetFileVersions, VersionsProgramsAndTakesTheirHashesAway)
{
    InstallerTable file = Table(kFileHead + "Dll\tC\tPELRIN.DLL\t10\t\t\t512\t1\r\nDoc\tC\tREADME.md\t5\t\t\t512\t2\r\n");
    InstallerTable hash = Table(kFileHashHead + "Dll\t0\t1\t2\t3\t4\r\nDoc\t0\t5\t6\t7\t8\r\n");
    SetFileVersions(file, hash, {{"Dll", {"1.0.0.5", 1033}}});
    EXPECT_EQ(WriteIdt(file).substr(WriteIdt(file).find("Dll")),
              "Dll\tC\tPELRIN.DLL\t10\t1.0.0.5\t1033\t512\t1\r\nDoc\tC\tREADME.md\t5\t\t\t512\t2\r\n");
    ASSERT_EQ(hash.rows.size(), 1u);
    EXPECT_EQ(hash.rows[0][0], "Doc");
}

// A small package laid out as the x64 one: both DLLs, each in its own
// component and folder of its bitness, per machine or per user.
InstallerPackage GoodPackage()
{
    InstallerPackage package;
    ReadSummary("Template: x64;1033\nVersion: 500 (1f4)\nSource: 2 (2)\n", package);
    package.tables["Property"] = Table("Property\tValue\r\ns72\tl0\r\nProperty\tProperty\r\n"
                                       "ALLUSERS\t2\r\nProductLanguage\t1033\r\nProductVersion\t1.0.5\r\n"
                                       "UpgradeCode\t{U}\r\nSecureCustomProperties\tNEWER;OLDER\r\n");
    package.tables["Directory"] = Table("Directory\tDirectory_Parent\tDefaultDir\r\ns72\tS72\tl255\r\nDirectory\tDirectory\r\n"
                                        "TARGETDIR\t\tSourceDir\r\nProgramFiles64Folder\tTARGETDIR\t.\r\n"
                                        "ProgramFilesFolder\tTARGETDIR\t.\r\nDir64\tProgramFiles64Folder\tPelrin\r\n"
                                        "Dir32\tProgramFilesFolder\tPelrin\r\n");
    package.tables["Component"] = Table("Component\tComponentId\tDirectory_\tAttributes\tCondition\tKeyPath\r\n"
                                        "s72\tS38\ts72\ti2\tS255\tS72\r\nComponent\tComponent\r\n"
                                        "Engine64\t{A}\tDir64\t256\t\tDll64\r\nEngine32\t{B}\tDir32\t0\t\tDll32\r\n");
    package.tables["File"] = Table(kFileHead +
                                   "Dll64\tEngine64\tPELRIN.DLL\t10\t1.0.0.5\t1033\t512\t1\r\n"
                                   "Dll32\tEngine32\tPELRIN.DLL\t10\t1.0.0.5\t1033\t512\t2\r\n"
                                   "Doc\tEngine64\tREADME~1.MD|README.md\t5\t\t\t512\t3\r\n");
    package.tables["MsiFileHash"] = Table(kFileHashHead + "Doc\t0\t1\t2\t3\t4\r\n");
    package.tables["Registry"] = Table("Registry\tRoot\tKey\tName\tValue\tComponent_\r\ns72\ti2\tl255\tL255\tL0\ts72\r\n"
                                       "Registry\tRegistry\r\n"
                                       "r1\t-1\tSoftware\\Classes\\Pelrin.PelrinEngine.1\t\tPelrinEngine Class\tEngine64\r\n"
                                       "r2\t-1\tSoftware\\Classes\\CLSID\\{C}\\InprocServer32\t\t[#Dll64]\tEngine64\r\n"
                                       "r3\t-1\tSoftware\\Classes\\CLSID\\{C}\\InprocServer32\t\t[#Dll32]\tEngine32\r\n"
                                       "r4\t-1\tSoftware\\Classes\\TypeLib\\{L}\\1.0\\409\\win32\t\t[#Dll32]\tEngine32\r\n");
    package.tables["Upgrade"] = Table("UpgradeCode\tVersionMin\tVersionMax\tLanguage\tAttributes\tRemove\tActionProperty\r\n"
                                      "s38\tS20\tS20\tS255\ti4\tS255\ts72\r\nUpgrade\tUpgradeCode\tVersionMin\r\n"
                                      "{U}\t\t1.0.5\t\t1\t\tOLDER\r\n{U}\t1.0.5\t\t\t2\t\tNEWER\r\n");
    return package;
}

void SetCell(InstallerPackage& package, const std::string& table, std::size_t row, const std::string& column,
             const std::string& value)
{
    InstallerTable& t = package.tables[table];
    t.rows.at(row).at(t.Column(column)) = value;
}

TEST(CheckInstallerPackage, EachRuleFailsOnATableThatBreaksIt)
{
    EXPECT_EQ(CheckInstallerPackage(GoodPackage()), std::vector<std::string>{});
    struct Case {
        const char* rule;
        const char* what;
        std::function<void(InstallerPackage&)> breakIt;
    };
    const Case cases[] = {
        {"ICE80", "32-bit component in the 64-bit program folder",
         [](auto& p) { SetCell(p, "Component", 1, "Directory_", "Dir64"); }},
        {"ICE80", "64-bit component in a 32-bit package", [](auto& p) { p.platform = "Intel"; }},
        {"ICE57", "per-user value beside a program file",
         [](auto& p) { p.tables["Registry"].rows.push_back({"r5", "1", "Software\\Pelrin", "", "x", "Engine32"}); }},
        {"ICE57", "class rows beside a per-machine file (installer before 5.0)",
         [](auto& p) {
             p.schema = 405;
             SetCell(p, "Property", 0, "Value", "");
         }},
        {"ICE61", "same version removed", [](auto& p) { SetCell(p, "Upgrade", 0, "Attributes", "513"); }},
        {"ICE61", "releases counted in the fourth field",
         [](auto& p) {
             SetCell(p, "Property", 2, "Value", "1.0.0.5");
             SetCell(p, "Upgrade", 0, "VersionMax", "1.0.0.5");
             SetCell(p, "Upgrade", 1, "VersionMin", "1.0.0.5");
         }},
        {"ICE61", "product version out of the installer's range",
         [](auto& p) { SetCell(p, "Property", 2, "Value", "1.256.5"); }},
        {"ICE61", "detected property not secure", [](auto& p) { SetCell(p, "Property", 4, "Value", "NEWER"); }},
        {"versioned files", "program without a version", [](auto& p) { SetCell(p, "File", 0, "Version", ""); }},
        {"versioned files", "versioned file with a hash",
         [](auto& p) { p.tables["MsiFileHash"].rows.push_back({"Dll32", "0", "1", "2", "3", "4"}); }},
        {"one owner", "ProgID written by both components",
         [](auto& p) { SetCell(p, "Registry", 3, "Key", "Software\\Classes\\Pelrin.PelrinEngine.1"); }},
        {"per user", "no elevation claimed by a per-machine default", [](auto& p) { p.wordCount = 10; }},
    };
    for (const Case& c : cases) {
        InstallerPackage package = GoodPackage();
        c.breakIt(package);
        const auto problems = CheckInstallerPackage(package);
        EXPECT_FALSE(problems.empty()) << c.what;
        for (const std::string& problem : problems)
            EXPECT_EQ(problem.rfind(std::string(c.rule) + ": ", 0), 0u) << c.what << ": " << problem;
    }
}

} // namespace
} // namespace pelrin::deploy
