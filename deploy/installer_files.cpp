// Makes the registration parts of the installer packages and the side-by-side
// manifests at build time, from the library's own registry script, its IDL
// and the built DLL:
//
//   installer_files tables <script.rgs> <x.idl> <out-dir> <component>:<file-id>:<directory>:<win32|win64>...
//       Registry.idt, the installer table that registers the class and the
//       type library of each component's DLL, as registering the DLL would
//       A key that both registry views share is written by the first
//       component that registers it only.
//   installer_files version <x.dll>
//       prints the packages' ProductVersion, made from the DLL's file version
//   installer_files manifest <script.rgs> <x.idl> <x.dll> <amd64|x86> <out.manifest>
//   installer_files file-versions <tables-dir> <listing> <files-dir>
//       the versions and languages of the package's files with a version
//       block, in File.idt, and MsiFileHash.idt without them; the files are
//       in <files-dir> as msiextract extracted them and listed them, in the
//       order of the File table's sequence
//   installer_files check <tables-dir>
//       the validation rules over the tables exported there (and the
//       summary information as suminfo.txt); exit 1 and a line for each rule
//       a table breaks

#include "deploy/assembly_manifest.h"
#include "deploy/idl_identities.h"
#include "deploy/installer_tables.h"
#include "deploy/registration_rows.h"
#include "deploy/type_library_script.h"
#include "deploy/version_block.h"
#include "server/registry/registry_script.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace pelrin::deploy;

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    if (!(file << text) || !file.flush())
        throw std::runtime_error("cannot write " + path);
}

std::vector<pelrin::RegistryEntry> Registered(const std::string& script, const std::string& what)
{
    std::vector<pelrin::RegistryEntry> entries;
    const std::int32_t result = RegisteredEntries(script, entries);
    if (result != pelrin::kScriptOk) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
        throw std::runtime_error(what + " does not register: " + code);
    }
    return entries;
}

IdlIdentities Identities(const std::string& idlPath)
{
    const auto identities = ReadIdlIdentities(ReadFile(idlPath));
    if (!identities)
        throw std::runtime_error(idlPath + " defines no library with a uuid and a version");
    return *identities;
}

std::optional<VersionBlock> VersionOf(const std::string& path)
{
    const std::string bytes = ReadFile(path);
    return ReadVersionBlock({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

std::string Version(const std::string& dllPath)
{
    const auto version = VersionOf(dllPath);
    if (!version)
        throw std::runtime_error(dllPath + " has no version block");
    return version->fileVersion;
}

int Tables(const std::vector<std::string>& args)
{
    if (args.size() < 4)
        throw std::invalid_argument("tables: too few arguments");
    const auto classEntries = Registered(ReadFile(args[0]), args[0]);
    const IdlIdentities idl = Identities(args[1]);
    std::vector<std::string> rows;
    std::set<std::pair<std::string, std::string>> sharedWritten;
    for (std::size_t i = 3; i < args.size(); ++i) {
        std::istringstream fields(args[i]);
        std::string component, fileId, directory, platform;
        if (!std::getline(fields, component, ':') || !std::getline(fields, fileId, ':') ||
            !std::getline(fields, directory, ':') || !std::getline(fields, platform) ||
            (platform != "win32" && platform != "win64"))
            throw std::invalid_argument("expected <component>:<file-id>:<directory>:<win32|win64>, not " + args[i]);
        const auto typeLibraryEntries =
            Registered(TypeLibraryScript(idl, platform == "win64"), "the type library of " + args[1]);
        for (const auto* all : {&classEntries, &typeLibraryEntries}) {
            std::vector<pelrin::RegistryEntry> entries;
            for (const auto& entry : *all) {
                const bool shared = entry.key.rfind("HKCR\\", 0) == 0 && SharedByBothViews(entry.key.substr(5));
                if (!shared || sharedWritten.emplace(entry.key, entry.valueName.value_or("\x01")).second)
                    entries.push_back(entry);
            }
            const std::size_t first = rows.size() + 1;
            for (std::string& row : RegistryTableRows(entries, component, fileId, directory, first))
                rows.push_back(std::move(row));
        }
    }
    std::string table = "Registry\tRoot\tKey\tName\tValue\tComponent_\r\n"
                        "s72\ti2\tl255\tL255\tL0\ts72\r\n"
                        "Registry\tRegistry\r\n";
    for (const std::string& row : rows)
        table += row + "\r\n";
    WriteFile(args[2] + "/Registry.idt", table);
    return 0;
}

int PrintProductVersion(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw std::invalid_argument("version: expected <dll>");
    std::printf("%s\n", ProductVersion(Version(args[0])).c_str());
    return 0;
}

int Manifest(const std::vector<std::string>& args)
{
    if (args.size() != 5)
        throw std::invalid_argument("manifest: expected <script> <idl> <dll> <architecture> <out>");
    const std::string& dll = args[2];
    const AssemblyFile file{dll.substr(dll.find_last_of("/\\") + 1), Version(dll), args[3]};
    WriteFile(args[4], AssemblyManifest(file, Identities(args[1]), Registered(ReadFile(args[0]), args[0])));
    return 0;
}

int FileVersions(const std::vector<std::string>& args)
{
    if (args.size() != 3)
        throw std::invalid_argument("file-versions: expected <tables-dir> <listing> <files-dir>");
    const std::string fileTable = args[0] + "/File.idt";
    const std::string hashTable = args[0] + "/MsiFileHash.idt";
    InstallerTable file = ReadIdt(ReadFile(fileTable));
    InstallerTable fileHash = ReadIdt(ReadFile(hashTable));
    auto rows = file.rows;
    const std::size_t sequence = file.Column("Sequence");
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const auto& a, const auto& b) { return std::stol(a[sequence]) < std::stol(b[sequence]); });
    std::istringstream listing(ReadFile(args[1]));
    std::map<std::string, VersionBlock> versions;
    for (const auto& row : rows) {
        std::string path;
        if (!std::getline(listing, path))
            throw std::runtime_error("the listing ends before file " + row[file.Column("File")]);
        const std::string& name = row[file.Column("FileName")];
        if (std::filesystem::path(path).filename() != name.substr(name.find('|') + 1))
            throw std::runtime_error("the listing names " + path + " where the File table has " + name);
        if (const auto version = VersionOf(args[2] + "/" + path))
            versions[row[file.Column("File")]] = *version;
    }
    SetFileVersions(file, fileHash, versions);
    WriteFile(fileTable, WriteIdt(file));
    WriteFile(hashTable, WriteIdt(fileHash));
    return 0;
}

int Check(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw std::invalid_argument("check: expected <tables-dir>");
    InstallerPackage package;
    for (const char* name : {"Component", "Directory", "File", "MsiFileHash", "Property", "Registry", "Upgrade"}) {
        const std::string path = args[0] + "/" + name + ".idt";
        if (std::filesystem::exists(path))
            package.tables[name] = ReadIdt(ReadFile(path));
    }
    ReadSummary(ReadFile(args[0] + "/suminfo.txt"), package);
    const auto problems = CheckInstallerPackage(package);
    for (const std::string& problem : problems)
        std::printf("%s\n", problem.c_str());
    return problems.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (!args.empty() && args[0] == "tables")
            return Tables({args.begin() + 1, args.end()});
        if (!args.empty() && args[0] == "version")
            return PrintProductVersion({args.begin() + 1, args.end()});
        if (!args.empty() && args[0] == "manifest")
            return Manifest({args.begin() + 1, args.end()});
        if (!args.empty() && args[0] == "file-versions")
            return FileVersions({args.begin() + 1, args.end()});
        if (!args.empty() && args[0] == "check")
            return Check({args.begin() + 1, args.end()});
        std::fprintf(stderr, "usage: installer_files tables|version|manifest|file-versions|check ...\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "installer_files: %s\n", error.what());
    }
    return 1;
}
