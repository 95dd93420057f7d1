#include "server/shared_progids.h"

#include "base/win_owners.h"

#include <objbase.h>

#include <string>

namespace pelrin {
namespace {

#if defined(_WIN64)
constexpr REGSAM kOtherView = KEY_WOW64_32KEY;
#else
constexpr REGSAM kOtherView = KEY_WOW64_64KEY;
#endif

// The default value of `key`'s subkey (or of `key` itself); empty when absent.
std::wstring DefaultValue(HKEY key, const wchar_t* subkey)
{
    std::wstring value(512, L'\0');
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(key, subkey, nullptr, RRF_RT_REG_SZ, nullptr, value.data(), &size) != ERROR_SUCCESS)
        return {};
    value.resize(size / sizeof(wchar_t) - 1);
    return value;
}

void SetDefaultValue(const std::wstring& subkey, const std::wstring& value)
{
    RegSetKeyValueW(HKEY_CLASSES_ROOT, subkey.c_str(), nullptr, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace

void KeepProgIdsOfTheOtherView(REFCLSID clsid) noexcept
try {
    wchar_t clsidText[39] = {};
    if (StringFromGUID2(clsid, clsidText, 39) == 0)
        return;
    UniqueHkey other;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + clsidText).c_str(), 0,
                      KEY_READ | kOtherView, other.addressof()) != ERROR_SUCCESS ||
        DefaultValue(other.get(), L"InprocServer32").empty())
        return;
    const std::wstring description = DefaultValue(other.get(), nullptr);
    const std::wstring progId = DefaultValue(other.get(), L"ProgID");
    const std::wstring independent = DefaultValue(other.get(), L"VersionIndependentProgID");
    if (!progId.empty()) {
        SetDefaultValue(progId, description);
        SetDefaultValue(progId + L"\\CLSID", clsidText);
    }
    if (!independent.empty()) {
        SetDefaultValue(independent, description);
        if (!progId.empty())
            SetDefaultValue(independent + L"\\CurVer", progId);
    }
} catch (...) {
    // Out of memory: unregistration still succeeds, as it does on any failure.
}

} // namespace pelrin
