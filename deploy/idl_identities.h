#pragma once
// The identities an interface definition gives its type library, interfaces
// and classes, read from the IDL text itself: what the installer's tables and
// the side-by-side manifests name.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelrin::deploy {

// The automation marshaler: proxies of dual and oleautomation interfaces are
// built from their type library.
inline constexpr const char* kAutomationMarshaler = "{00020424-0000-0000-C000-000000000046}";

struct IdlInterface {
    std::string name;
    std::string id;          // "{XXXXXXXX-...}", upper case
    bool automation = false; // dual or oleautomation: marshalled through its type library
};

struct IdlClass {
    std::string name;
    std::string id;
};

struct IdlIdentities {
    std::string libraryName;
    std::string libraryId;
    unsigned versionMajor = 0;
    unsigned versionMinor = 0;
    unsigned lcid = 0;
    std::string libraryHelp;
    unsigned libraryFlags = 0; // restricted 1, control 2, hidden 4
    std::vector<IdlInterface> interfaces;
    std::vector<IdlClass> classes;
};

// Reads the attribute blocks of the interfaces, the library and its classes.
// Empty when the text has no library with a uuid and a version.
std::optional<IdlIdentities> ReadIdlIdentities(std::string_view idl);

} // namespace pelrin::deploy
