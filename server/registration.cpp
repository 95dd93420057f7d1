#include "server/registration.h"

#include "base/code_page_text_win.h"
#include "base/com_ptr.h"
#include "base/last_error_win.h"
#include "base/module_path_win.h"
#include "base/win_owners.h"
#include "server/registry/type_library_key.h"

#include <oleauto.h>

#include <new>
#include <utility>

namespace pelrin {
namespace {

bool IsPathSeparator(char c) noexcept
{
    return c == '\\' || c == '/' || c == ':';
}

// Registers the library's file under locale 0 too (see NeutralLocaleFileKey).
HRESULT RegisterUnderNeutralLocale(ITypeLib* library, const std::wstring& file)
{
    TLIBATTR attributes{};
    const HRESULT hr = TypeLibraryAttributes(library, attributes);
    if (FAILED(hr))
        return hr;
    const std::wstring key = NeutralLocaleFileKey(attributes);
    if (key.empty())
        return S_OK;
    UniqueHkey opened;
    LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                     opened.addressof(), nullptr);
    if (status == ERROR_SUCCESS)
        status = RegSetValueExW(opened.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                                static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)));
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

} // namespace

HRESULT CheckRegistrationPath(const std::wstring& wide, RegistrationPath& path) noexcept
{
    path.wide.clear();
    path.ansi.clear();
    if (wide.empty())
        return E_INVALIDARG;
    if (wide.size() >= kLongestModulePath)
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    try {
        // A look-alike of a character the code page lacks (U+0100 as "A")
        // would be the path of another file, and what the narrow path names
        // must be the file itself. Only running out of memory keeps its code.
        std::string ansi;
        std::wstring back;
        HRESULT hr = WideToCodePage(wide, ansi, CP_ACP, Fit::Exact);
        if (SUCCEEDED(hr))
            hr = CodePageToWide(ansi, back);
        if (hr == E_OUTOFMEMORY)
            return hr;
        if (FAILED(hr) || back != wide)
            return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
        if (ansi.size() >= MAX_PATH)
            return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
        path.wide = wide;
        path.ansi = std::move(ansi);
        return S_OK;
    } catch (const std::bad_alloc&) {
        path.wide.clear();
        return E_OUTOFMEMORY;
    }
}

HRESULT GetRegistrationPath(HMODULE module, RegistrationPath& path) noexcept
{
    std::wstring wide;
    const HRESULT hr = GetModulePath(module, wide);
    return FAILED(hr) ? hr : CheckRegistrationPath(wide, path);
}

std::string TypeLibraryFallbackPath(const std::string& ansiPath)
{
    // Only a dot of the file name starts its extension, not one of a folder.
    std::size_t nameStart = 0;
    std::size_t dot = std::string::npos;
    for (const char* p = ansiPath.c_str(); *p != '\0'; p = CharNextA(p)) {
        const auto offset = static_cast<std::size_t>(p - ansiPath.c_str());
        if (IsPathSeparator(*p)) {
            nameStart = offset + 1;
            dot = std::string::npos;
        } else if (*p == '.') {
            dot = offset;
        }
    }
    std::string result = ansiPath.substr(0, dot != std::string::npos && dot >= nameStart ? dot : ansiPath.size());
    result += ".tlb";
    return result;
}

std::string HelpDirectoryOf(const std::string& ansiPath)
{
    std::size_t end = 0;
    for (const char* p = ansiPath.c_str(); *p != '\0'; p = CharNextA(p)) {
        if (IsPathSeparator(*p))
            end = static_cast<std::size_t>(p - ansiPath.c_str()) + 1;
    }
    return ansiPath.substr(0, end);
}

HRESULT RegisterTypeLibraryOf(HMODULE module) noexcept
{
    try {
        RegistrationPath path;
        HRESULT hr = GetRegistrationPath(module, path);
        if (FAILED(hr))
            return hr;

        std::string loaded = path.ansi;
        std::wstring loadedWide = path.wide;
        ComPtr<ITypeLib> library;
        hr = LoadTypeLib(loadedWide.c_str(), library.addressof());
        if (FAILED(hr)) {
            loaded = TypeLibraryFallbackPath(path.ansi);
            hr = CodePageToWide(loaded, loadedWide);
            if (SUCCEEDED(hr))
                hr = LoadTypeLib(loadedWide.c_str(), library.addressof());
        }
        if (FAILED(hr))
            return hr;

        std::wstring helpDirectory;
        hr = CodePageToWide(HelpDirectoryOf(loaded), helpDirectory);
        if (FAILED(hr))
            return hr;
        hr = RegisterTypeLib(library.get(), loadedWide.data(), helpDirectory.empty() ? nullptr : helpDirectory.data());
        return FAILED(hr) ? hr : RegisterUnderNeutralLocale(library.get(), loadedWide);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace pelrin
