#pragma once
// The locale-neutral registration of a type library. RegisterTypeLib writes
// the library's file under its own locale only (TypeLib\{LIBID}\1.0\409\win64),
// but COM's marshaler of automation interfaces, through which a client in the
// multithreaded apartment or on another thread reaches the engine, looks the
// library up for locale 0, the neutral one, and does not find it under 409.
// So the same file is registered under locale 0 as well.

#include <windows.h>
#include <oaidl.h>
#include <objbase.h>

#include <cwchar>
#include <string>

namespace pelrin {

// The library's attributes, copied out so that nothing has to remember to
// give them back (TLIBATTR holds no pointers).
inline HRESULT TypeLibraryAttributes(ITypeLib* library, TLIBATTR& attributes) noexcept
{
    TLIBATTR* held = nullptr;
    const HRESULT hr = library->GetLibAttr(&held);
    if (FAILED(hr))
        return hr;
    attributes = *held;
    library->ReleaseTLibAttr(held);
    return S_OK;
}

// TypeLib\{LIBID}\<major>.<minor>\0\<win32|win64> under HKEY_CLASSES_ROOT
// (numbers in hex, as RegisterTypeLib writes them), or empty when the
// library's own locale is already 0 and RegisterTypeLib writes that key.
inline std::wstring NeutralLocaleFileKey(const TLIBATTR& library)
{
    if (library.lcid == LANG_NEUTRAL)
        return {};
    wchar_t libraryId[40];
    if (StringFromGUID2(library.guid, libraryId, 40) == 0)
        return {};
    const wchar_t* platform = L"win32";
    if (library.syskind == SYS_WIN64)
        platform = L"win64";
    else if (library.syskind == SYS_WIN16)
        platform = L"win16";
    wchar_t key[96];
    std::swprintf(key, 96, L"TypeLib\\%ls\\%x.%x\\0\\%ls", libraryId, library.wMajorVerNum, library.wMinorVerNum,
                  platform);
    return key;
}

// Removes what NeutralLocaleFileKey names, and the locale's key when nothing
// else is left under it. Goes before UnRegisterTypeLib, which keeps the
// library's version key while another locale is registered under it.
inline void RemoveNeutralLocaleFileKey(const TLIBATTR& library)
{
    const std::wstring key = NeutralLocaleFileKey(library);
    if (key.empty())
        return;
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.substr(0, key.rfind(L'\\')).c_str()); // fails while not empty
}

} // namespace pelrin
