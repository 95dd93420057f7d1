#pragma once
// What the registry script interpreter needs from the platform: a handful of
// registry operations and the ANSI text services of the system code page.
// Windows-free, so the interpreter can run over an in-memory registry on the
// host. Registry operations return Win32 error codes (0 = success), as the
// advapi32 functions do.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pelrin {

// An open key, or a predefined root. Opaque: only the implementation that
// handed it out can use it.
enum class RegistryKey : std::uintptr_t { None = 0 };

enum class RootKey {
    ClassesRoot,
    CurrentUser,
    LocalMachine,
    Users,
    PerformanceData,
    DynData,
    CurrentConfig,
};

// The names of the roots in scripts and paths: "HKCR" or "HKEY_CLASSES_ROOT".
struct RootKeyName {
    RootKey root;
    const char* shortName;
    const char* longName;
};

inline constexpr std::array<RootKeyName, 7> kRootKeyNames{{
    {RootKey::ClassesRoot, "HKCR", "HKEY_CLASSES_ROOT"},
    {RootKey::CurrentUser, "HKCU", "HKEY_CURRENT_USER"},
    {RootKey::LocalMachine, "HKLM", "HKEY_LOCAL_MACHINE"},
    {RootKey::Users, "HKU", "HKEY_USERS"},
    {RootKey::PerformanceData, "HKPD", "HKEY_PERFORMANCE_DATA"},
    {RootKey::DynData, "HKDD", "HKEY_DYN_DATA"},
    {RootKey::CurrentConfig, "HKCC", "HKEY_CURRENT_CONFIG"},
}};

enum class KeyAccess { All, Read };

// Registry value types, with their Win32 numbers.
enum class ValueType : std::uint32_t { String = 1, Dword = 4 };

struct KeyCounts {
    std::uint32_t subkeys = 0;
    std::uint32_t values = 0; // the default value counts once it is set
};

class RegistryAccess {
public:
    RegistryAccess() = default;
    RegistryAccess(const RegistryAccess&) = delete;
    RegistryAccess& operator=(const RegistryAccess&) = delete;
    virtual ~RegistryAccess() = default;

    // The predefined key; never closed.
    virtual RegistryKey Root(RootKey root) = 0;

    virtual std::int32_t OpenKey(RegistryKey parent, const char* name, KeyAccess access,
                                 RegistryKey& opened) = 0;
    // Opens the key, creating it when missing, with full access.
    virtual std::int32_t CreateKey(RegistryKey parent, const char* name, RegistryKey& opened) = 0;
    virtual std::int32_t CloseKey(RegistryKey key) = 0;

    // A null or empty name is the key's default value.
    virtual std::int32_t SetValue(RegistryKey key, const char* name, ValueType type,
                                  std::span<const std::uint8_t> data) = 0;
    virtual std::int32_t DeleteValue(RegistryKey key, const char* name) = 0;

    // Deletes a subkey that has no subkeys of its own.
    virtual std::int32_t DeleteKey(RegistryKey parent, const char* name) = 0;

    virtual std::int32_t QueryCounts(RegistryKey key, KeyCounts& counts) = 0;
    // Size in bytes of the default value's data; 2 (file not found) when unset.
    virtual std::int32_t QueryDefaultValueSize(RegistryKey key, std::uint32_t& size) = 0;
    // The subkey at the index, zero-terminated in the buffer; 234 (more
    // data) when it does not fit, 259 (no more items) past the last one.
    virtual std::int32_t EnumSubkey(RegistryKey key, std::uint32_t index, std::span<char> name) = 0;
};

class AnsiText {
public:
    AnsiText() = default;
    AnsiText(const AnsiText&) = delete;
    AnsiText& operator=(const AnsiText&) = delete;
    virtual ~AnsiText() = default;

    // The next character of a zero-terminated ANSI text (a double-byte
    // character is one step); the terminator itself does not move.
    virtual const char* NextCharacter(const char* text) const = 0;

    // UTF-16 text to the system code page; an HRESULT.
    virtual std::int32_t ToAnsi(std::wstring_view text, std::string& ansi) const = 0;

    // The automation conversion of a number text to a signed 32-bit integer;
    // an HRESULT (the conversion's own failure code).
    virtual std::int32_t TextToInt32(const char* text, std::int32_t& number) const = 0;
};

} // namespace pelrin
