#pragma once
// The registry script interpreter's platform over advapi32, CharNextA and
// VarI4FromStr: the real registry and the system's ANSI code page.

#include "server/registry/registry_access.h"

#include <windows.h>

namespace pelrin {

// RegistryKey values are the HKEYs themselves.
inline HKEY ToHkey(RegistryKey key) noexcept
{
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

inline RegistryKey FromHkey(HKEY key) noexcept
{
    return static_cast<RegistryKey>(reinterpret_cast<std::uintptr_t>(key));
}

class Advapi32Registry final : public RegistryAccess {
public:
    RegistryKey Root(RootKey root) override;
    std::int32_t OpenKey(RegistryKey parent, const char* name, KeyAccess access,
                         RegistryKey& opened) override;
    std::int32_t CreateKey(RegistryKey parent, const char* name, RegistryKey& opened) override;
    std::int32_t CloseKey(RegistryKey key) override;
    std::int32_t SetValue(RegistryKey key, const char* name, ValueType type,
                          std::span<const std::uint8_t> data) override;
    std::int32_t DeleteValue(RegistryKey key, const char* name) override;
    std::int32_t DeleteKey(RegistryKey parent, const char* name) override;
    std::int32_t QueryCounts(RegistryKey key, KeyCounts& counts) override;
    std::int32_t QueryDefaultValueSize(RegistryKey key, std::uint32_t& size) override;
    std::int32_t EnumSubkey(RegistryKey key, std::uint32_t index, std::span<char> name) override;
};

class SystemAnsiText final : public AnsiText {
public:
    const char* NextCharacter(const char* text) const override;
    std::int32_t ToAnsi(std::wstring_view text, std::string& ansi) const override;
    std::int32_t TextToInt32(const char* text, std::int32_t& number) const override;
};

} // namespace pelrin
