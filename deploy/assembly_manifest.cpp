#include "deploy/assembly_manifest.h"

#include "base/ascii.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace pelrin::deploy {
namespace {

std::string Xml(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped.push_back(c);
        }
    }
    return escaped;
}

std::optional<std::string> StringAt(const std::vector<RegistryEntry>& entries, const std::string& key,
                                    const std::string& valueName)
{
    for (const RegistryEntry& entry : entries) {
        if (entry.valueName && EqualsIgnoringAsciiCase(entry.key, key) &&
            EqualsIgnoringAsciiCase(*entry.valueName, valueName)) {
            const auto* bytes = reinterpret_cast<const char*>(entry.value.data.data());
            return std::string(bytes, strnlen(bytes, entry.value.data.size()));
        }
    }
    return std::nullopt;
}

struct RegisteredClass {
    std::string clsid;
    std::string description;
    std::string progid;
    std::optional<std::string> versionIndependentProgid;
    std::string threadingModel;
};

// The class whose in-process server is the module.
RegisteredClass ModuleClass(const std::vector<RegistryEntry>& entries)
{
    const std::string prefix = "HKCR\\CLSID\\";
    const std::string suffix = "\\InprocServer32";
    for (const RegistryEntry& entry : entries) {
        if (!entry.valueName || !entry.valueName->empty() || entry.key.rfind(prefix, 0) != 0 ||
            entry.key.size() <= prefix.size() + suffix.size() ||
            !EqualsIgnoringAsciiCase(entry.key.substr(entry.key.size() - suffix.size()), suffix))
            continue;
        RegisteredClass found;
        const std::string classKey = entry.key.substr(0, entry.key.size() - suffix.size());
        found.clsid = classKey.substr(prefix.size());
        found.description = StringAt(entries, classKey, "").value_or("");
        found.progid = StringAt(entries, classKey + "\\ProgID", "").value_or("");
        found.versionIndependentProgid = StringAt(entries, classKey + "\\VersionIndependentProgID", "");
        found.threadingModel = StringAt(entries, entry.key, "ThreadingModel").value_or("");
        return found;
    }
    throw std::invalid_argument("the script registers no in-process server");
}

} // namespace

std::string AssemblyManifest(const AssemblyFile& file, const IdlIdentities& idl,
                             const std::vector<RegistryEntry>& registered)
{
    const RegisteredClass registeredClass = ModuleClass(registered);
    if (std::none_of(idl.classes.begin(), idl.classes.end(),
                     [&](const IdlClass& c) { return EqualsIgnoringAsciiCase(c.id, registeredClass.clsid); }))
        throw std::invalid_argument("the script registers " + registeredClass.clsid + ", which the IDL does not define");
    const std::string version = std::to_string(idl.versionMajor) + "." + std::to_string(idl.versionMinor);

    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                       "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n";
    text += "  <assemblyIdentity type=\"win32\" name=\"" + std::string(kAssemblyName) + "\" version=\"" +
            Xml(file.version) + "\" processorArchitecture=\"" + Xml(file.processorArchitecture) + "\"/>\r\n";
    text += "  <file name=\"" + Xml(file.fileName) + "\">\r\n";
    text += "    <comClass clsid=\"" + Xml(registeredClass.clsid) + "\" progid=\"" + Xml(registeredClass.progid) +
            "\" threadingModel=\"" + Xml(registeredClass.threadingModel) + "\" tlbid=\"" + Xml(idl.libraryId) +
            "\" description=\"" + Xml(registeredClass.description) + "\"";
    if (registeredClass.versionIndependentProgid)
        text += ">\r\n      <progid>" + Xml(*registeredClass.versionIndependentProgid) + "</progid>\r\n    </comClass>\r\n";
    else
        text += "/>\r\n";
    text += "    <typelib tlbid=\"" + Xml(idl.libraryId) + "\" version=\"" + version + "\" helpdir=\"\"/>\r\n";
    text += "  </file>\r\n";
    for (const IdlInterface& iface : idl.interfaces) {
        if (iface.automation)
            text += "  <comInterfaceExternalProxyStub name=\"" + Xml(iface.name) + "\" iid=\"" + Xml(iface.id) +
                    "\" proxyStubClsid32=\"" + kAutomationMarshaler + "\" tlbid=\"" + Xml(idl.libraryId) + "\"/>\r\n";
    }
    text += "</assembly>\r\n";
    return text;
}

} // namespace pelrin::deploy
