// Makes the registration parts of the installer packages and the side-by-side
// manifests at build time, from the library's own registry script, its IDL
// and the built DLL:
//
//   installer_files tables <script.rgs> <x.idl> <out-dir> <component>:<file-id>:<directory>:<win32|win64>...
//       Registry.idt, the installer table that registers the class and the
//       type library of each component's DLL, as registering the DLL would
//   installer_files version <x.dll> <out.wxi>
//       the DLL's file version as the package's ProductVersion
//   installer_files manifest <script.rgs> <x.idl> <x.dll> <amd64|x86> <out.manifest>

#include "deploy/assembly_manifest.h"
#include "deploy/idl_identities.h"
#include "deploy/registration_rows.h"
#include "deploy/type_library_script.h"
#include "deploy/version_block.h"
#include "server/registry_script.h"

#include <cstdio>
#include <fstream>
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

std::vector<pelrin::test::RegistryEntry> Registered(const std::string& script, const std::string& what)
{
    std::vector<pelrin::test::RegistryEntry> entries;
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

std::string Version(const std::string& dllPath)
{
    const std::string bytes = ReadFile(dllPath);
    const auto version =
        FileVersion({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    if (!version)
        throw std::runtime_error(dllPath + " has no version block");
    return *version;
}

int Tables(const std::vector<std::string>& args)
{
    if (args.size() < 4)
        throw std::invalid_argument("tables: too few arguments");
    const auto classEntries = Registered(ReadFile(args[0]), args[0]);
    const IdlIdentities idl = Identities(args[1]);
    std::vector<std::string> rows;
    for (std::size_t i = 3; i < args.size(); ++i) {
        std::istringstream fields(args[i]);
        std::string component, fileId, directory, platform;
        if (!std::getline(fields, component, ':') || !std::getline(fields, fileId, ':') ||
            !std::getline(fields, directory, ':') || !std::getline(fields, platform) ||
            (platform != "win32" && platform != "win64"))
            throw std::invalid_argument("expected <component>:<file-id>:<directory>:<win32|win64>, not " + args[i]);
        const auto typeLibraryEntries =
            Registered(TypeLibraryScript(idl, platform == "win64"), "the type library of " + args[1]);
        for (const auto* entries : {&classEntries, &typeLibraryEntries}) {
            const std::size_t first = rows.size() + 1;
            for (std::string& row : RegistryTableRows(*entries, component, fileId, directory, first))
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

int VersionInclude(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        throw std::invalid_argument("version: expected <dll> <out.wxi>");
    WriteFile(args[1], "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Include>\n  <?define ProductVersion = \"" +
                           Version(args[0]) + "\"?>\n</Include>\n");
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

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (!args.empty() && args[0] == "tables")
            return Tables({args.begin() + 1, args.end()});
        if (!args.empty() && args[0] == "version")
            return VersionInclude({args.begin() + 1, args.end()});
        if (!args.empty() && args[0] == "manifest")
            return Manifest({args.begin() + 1, args.end()});
        std::fprintf(stderr, "usage: installer_files tables|version|manifest ...\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "installer_files: %s\n", error.what());
    }
    return 1;
}
