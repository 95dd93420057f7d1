#include "deploy/registration_rows.h"

#include "server/registry/registry_script.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace pelrin::deploy {
namespace {

// Stand for the module and its folder while the script runs: no bracket, so
// they survive the escaping of brackets in values, and no character a
// script could hold.
constexpr const char* kModuleMark = "\x01MODULE\x01";
constexpr const char* kHelpDirMark = "\x01HELPDIR\x01";

struct TableRoot {
    const char* prefix;
    int number;
    const char* keyPrefix;
};
// -1: HKEY_CURRENT_USER for a per-user install, HKEY_LOCAL_MACHINE otherwise.
constexpr TableRoot kRoots[] = {
    {"HKCR\\", -1, "Software\\Classes\\"}, {"HKCU\\", 1, ""}, {"HKLM\\", 2, ""}, {"HKU\\", 3, ""}};

struct Reference {
    std::string_view mark;
    std::string formatted;
};

void CheckText(const std::string& text)
{
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        throw std::invalid_argument("control character in \"" + text + "\"");
}

// Installer-formatted text: a bracket would start a reference. (Braces around
// text without references stay as they are, as GUIDs need.)
std::string Escaped(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        if (c == '[' || c == ']')
            escaped.append("[\\").append(1, c).append("]");
        else
            escaped.push_back(c);
    }
    return escaped;
}

std::string StringValue(const StoredValue& value, const std::vector<Reference>& references)
{
    const auto* bytes = reinterpret_cast<const char*>(value.data.data());
    const std::string text(bytes, strnlen(bytes, value.data.size()));
    if (text.empty())
        throw std::invalid_argument("empty string value");
    std::string formatted;
    for (std::size_t start = 0;;) {
        std::size_t next = std::string::npos;
        const Reference* found = nullptr;
        for (const Reference& reference : references) {
            const std::size_t at = text.find(reference.mark, start);
            if (at < next) {
                next = at;
                found = &reference;
            }
        }
        const std::string part = text.substr(start, next - start);
        CheckText(part);
        formatted += Escaped(part);
        if (found == nullptr)
            break;
        formatted += found->formatted;
        start = next + found->mark.size();
    }
    // A leading "#" marks a number; "##" is a string that starts with "#".
    // (Prefixed by appending: GCC 12 misreads operator+ here, -Wrestrict.)
    if (formatted.front() == '#')
        formatted = std::string("#").append(formatted);
    return formatted;
}

std::string ValueText(const StoredValue& value, const std::vector<Reference>& references)
{
    if (value.type == static_cast<std::uint32_t>(ValueType::String))
        return StringValue(value, references);
    if (value.type == static_cast<std::uint32_t>(ValueType::Dword) && value.data.size() == 4) {
        std::int32_t number = 0;
        std::memcpy(&number, value.data.data(), 4);
        return std::string("#").append(std::to_string(number));
    }
    throw std::invalid_argument("value of type " + std::to_string(value.type));
}

} // namespace

std::int32_t RegisteredEntries(const std::string& script, std::vector<RegistryEntry>& entries)
{
    MemoryRegistry registry;
    HostAnsiText text;
    RegistryScriptInterpreter interpreter(registry, text);
    const std::string_view module = kModuleMark;
    const std::string_view helpDir = kHelpDirMark;
    std::int32_t result = interpreter.AddSubstitution(L"Module", std::wstring(module.begin(), module.end()));
    if (result == kScriptOk)
        result = interpreter.AddSubstitution(L"HelpDir", std::wstring(helpDir.begin(), helpDir.end()));
    if (result == kScriptOk)
        result = interpreter.RunScript(script.c_str(), true);
    if (result == kScriptOk)
        entries = registry.Entries();
    return result;
}

std::vector<std::string> RegistryTableRows(const std::vector<RegistryEntry>& entries,
                                           const std::string& component, const std::string& fileId,
                                           const std::string& directoryId, std::size_t firstRow)
{
    const std::vector<Reference> references{{kModuleMark, "[#" + fileId + "]"}, {kHelpDirMark, "[" + directoryId + "]"}};
    std::vector<std::string> rows;
    const auto addRow = [&](int root, const std::string& key, const std::string& name, const std::string& value) {
        rows.push_back("reg_" + component + "_" + std::to_string(firstRow + rows.size()) + "\t" +
                       std::to_string(root) + "\t" + Escaped(key) + "\t" + name + "\t" + value + "\t" + component);
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const RegistryEntry& entry = entries[i];
        const auto root = std::find_if(std::begin(kRoots), std::end(kRoots), [&](const TableRoot& r) {
            return entry.key.rfind(r.prefix, 0) == 0;
        });
        if (root == std::end(kRoots))
            throw std::invalid_argument("key outside HKCR, HKCU, HKLM and HKU: " + entry.key);
        const std::string key = root->keyPrefix + entry.key.substr(std::strlen(root->prefix));
        CheckText(key);
        if (entry.valueName) {
            CheckText(*entry.valueName);
            addRow(root->number, key, Escaped(*entry.valueName), ValueText(entry.value, references));
            continue;
        }
        // Entries list a key's values, then its subkeys, right after it.
        const bool empty = i + 1 == entries.size() ||
                           (entries[i + 1].key.rfind(entry.key + "\\", 0) != 0 && entries[i + 1].key != entry.key);
        if (empty)
            addRow(root->number, key, "*", "");
    }
    return rows;
}

} // namespace pelrin::deploy
