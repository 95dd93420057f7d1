#include "server/registry/registry_access_win.h"

#include "base/code_page_text_win.h"

#include <oleauto.h>

#include <climits>
#include <string>

namespace pelrin {
namespace {

REGSAM ToSam(KeyAccess access) noexcept
{
    return access == KeyAccess::All ? KEY_ALL_ACCESS : KEY_READ;
}

} // namespace

RegistryKey Advapi32Registry::Root(RootKey root)
{
    switch (root) {
    case RootKey::ClassesRoot:
        return FromHkey(HKEY_CLASSES_ROOT);
    case RootKey::CurrentUser:
        return FromHkey(HKEY_CURRENT_USER);
    case RootKey::LocalMachine:
        return FromHkey(HKEY_LOCAL_MACHINE);
    case RootKey::Users:
        return FromHkey(HKEY_USERS);
    case RootKey::PerformanceData:
        return FromHkey(HKEY_PERFORMANCE_DATA);
    case RootKey::DynData:
        return FromHkey(HKEY_DYN_DATA);
    case RootKey::CurrentConfig:
        return FromHkey(HKEY_CURRENT_CONFIG);
    }
    return RegistryKey::None;
}

std::int32_t Advapi32Registry::OpenKey(RegistryKey parent, const char* name, KeyAccess access,
                                       RegistryKey& opened)
{
    opened = RegistryKey::None;
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExA(ToHkey(parent), name, 0, ToSam(access), &key);
    if (status == ERROR_SUCCESS)
        opened = FromHkey(key);
    return status;
}

std::int32_t Advapi32Registry::CreateKey(RegistryKey parent, const char* name, RegistryKey& opened)
{
    opened = RegistryKey::None;
    HKEY key = nullptr;
    const LONG status = RegCreateKeyExA(ToHkey(parent), name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS)
        opened = FromHkey(key);
    return status;
}

std::int32_t Advapi32Registry::CloseKey(RegistryKey key)
{
    return RegCloseKey(ToHkey(key));
}

std::int32_t Advapi32Registry::SetValue(RegistryKey key, const char* name, ValueType type,
                                        std::span<const std::uint8_t> data)
{
    if (data.size() > ULONG_MAX)
        return ERROR_INVALID_PARAMETER;
    return RegSetValueExA(ToHkey(key), name, 0, static_cast<DWORD>(type), data.data(),
                          static_cast<DWORD>(data.size()));
}

std::int32_t Advapi32Registry::DeleteValue(RegistryKey key, const char* name)
{
    return RegDeleteValueA(ToHkey(key), name);
}

std::int32_t Advapi32Registry::DeleteKey(RegistryKey parent, const char* name)
{
    return RegDeleteKeyA(ToHkey(parent), name);
}

std::int32_t Advapi32Registry::QueryCounts(RegistryKey key, KeyCounts& counts)
{
    DWORD subkeys = 0;
    DWORD values = 0;
    const LONG status = RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                         nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    counts = {subkeys, values};
    return status;
}

std::int32_t Advapi32Registry::QueryDefaultValueSize(RegistryKey key, std::uint32_t& size)
{
    DWORD bytes = 0;
    const LONG status = RegQueryValueExA(ToHkey(key), nullptr, nullptr, nullptr, nullptr, &bytes);
    size = bytes;
    return status;
}

std::int32_t Advapi32Registry::EnumSubkey(RegistryKey key, std::uint32_t index, std::span<char> name)
{
    if (name.empty() || name.size() > ULONG_MAX)
        return ERROR_INVALID_PARAMETER;
    DWORD length = static_cast<DWORD>(name.size());
    return RegEnumKeyExA(ToHkey(key), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
}

const char* SystemAnsiText::NextCharacter(const char* text) const
{
    return CharNextA(text);
}

std::int32_t SystemAnsiText::ToAnsi(std::wstring_view text, std::string& ansi) const
{
    return WideToCodePage(text, ansi);
}

std::int32_t SystemAnsiText::TextToInt32(const char* text, std::int32_t& number) const
{
    std::wstring wide;
    const HRESULT converted = CodePageToWide(text, wide);
    if (FAILED(converted))
        return converted;
    LONG value = 0;
    const HRESULT result = VarI4FromStr(wide.data(), 0, 0, &value);
    if (SUCCEEDED(result))
        number = value;
    return result;
}

} // namespace pelrin
