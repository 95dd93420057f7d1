#include "deploy/type_library_script.h"

#include <cstdio>

namespace pelrin::deploy {
namespace {

// The flag the type library loader adds for a library read from a file.
constexpr unsigned kHasDiskImage = 8;

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted.append(c == '\'' ? "''" : std::string(1, c));
    return quoted + "'";
}

} // namespace

std::string TypeLibraryScript(const IdlIdentities& idl, bool win64)
{
    const std::string version = std::to_string(idl.versionMajor) + "." + std::to_string(idl.versionMinor);
    std::string script = "HKCR\r\n{\r\n";
    script += "\tNoRemove TypeLib\r\n\t{\r\n\t\t" + Quoted(idl.libraryId) + "\r\n\t\t{\r\n";
    script += "\t\t\t" + Quoted(version) + " = s " + Quoted(idl.libraryHelp) + "\r\n\t\t\t{\r\n";
    const auto fileUnder = [&](unsigned locale) {
        char lcid[16];
        std::snprintf(lcid, sizeof lcid, "%x", locale);
        script += "\t\t\t\t" + Quoted(lcid) + "\r\n\t\t\t\t{\r\n";
        script += std::string("\t\t\t\t\t") + (win64 ? "win64" : "win32") + " = s '%MODULE%'\r\n\t\t\t\t}\r\n";
    };
    // The library's own locale, and locale 0, which DllRegisterServer adds
    // for COM's marshaler of automation interfaces.
    fileUnder(idl.lcid);
    if (idl.lcid != 0)
        fileUnder(0);
    script += "\t\t\t\tFLAGS = s '" + std::to_string(idl.libraryFlags | kHasDiskImage) + "'\r\n";
    script += "\t\t\t\tHELPDIR = s '%HELPDIR%'\r\n\t\t\t}\r\n\t\t}\r\n\t}\r\n";
    script += "\tNoRemove Interface\r\n\t{\r\n";
    for (const IdlInterface& iface : idl.interfaces) {
        if (!iface.automation)
            continue;
        script += "\t\t" + Quoted(iface.id) + " = s " + Quoted(iface.name) + "\r\n\t\t{\r\n";
        script += std::string("\t\t\tProxyStubClsid = s '") + kAutomationMarshaler + "'\r\n";
        script += std::string("\t\t\tProxyStubClsid32 = s '") + kAutomationMarshaler + "'\r\n";
        script += "\t\t\tTypeLib = s " + Quoted(idl.libraryId) + "\r\n\t\t\t{\r\n";
        script += "\t\t\t\tval Version = s " + Quoted(version) + "\r\n\t\t\t}\r\n\t\t}\r\n";
    }
    script += "\t}\r\n}\r\n";
    return script;
}

} // namespace pelrin::deploy
