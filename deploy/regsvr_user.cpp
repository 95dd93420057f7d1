// Registers an in-process COM server for the current user only, as regsvr32
// registers it for the whole machine, without administrator rights: while the
// DLL's own DllRegisterServer (or, with /u, DllUnregisterServer) runs,
// HKEY_CLASSES_ROOT of this process is redirected to
// HKEY_CURRENT_USER\Software\Classes; the redirection is undone afterwards.
// Unregistering also removes the type library's per-user registration, which
// DllUnregisterServer leaves in place. The usage text (kUsage) lists the
// switches and exit codes.

#include "base/com_ptr.h"
#include "base/win_owners.h"
#include "server/registry/type_library_key.h"

#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

using pelrin::ComPtr;
using pelrin::UniqueBstr;
using pelrin::UniqueHkey;
using pelrin::UniqueHmodule;

enum ExitCode { kDone = 0, kBadArguments = 1, kNotLoaded = 3, kNoEntryPoint = 4, kEntryPointFailed = 5 };

// The exit codes are regsvr32's.
constexpr const wchar_t* kUsage =
    L"usage: regsvr_user [/u] [/s] path\\to\\SERVER.DLL\n"
    L"Registers an in-process COM server for the current user only (under\n"
    L"HKEY_CURRENT_USER\\Software\\Classes), without administrator rights.\n"
    L"Use the regsvr_user of the DLL's bitness.\n"
    L"  /u  unregister: the DLL's DllUnregisterServer, then its type library's\n"
    L"      registration for the user\n"
    L"  /s  silent: no message (a usage error still prints this text)\n"
    L"  /?  this text\n"
    L"Exit codes: 0 done, 1 usage error, 3 the DLL cannot be loaded, 4 the DLL\n"
    L"has no such entry point, 5 registration or unregistration failed.\n";

bool g_silent = false;

void Report(const wchar_t* text, const std::wstring& dll, HRESULT code = S_OK)
{
    if (g_silent)
        return;
    if (code == S_OK)
        std::fwprintf(stderr, L"%ls %ls\n", text, dll.c_str());
    else
        std::fwprintf(stderr, L"%ls %ls: 0x%08lx\n", text, dll.c_str(), static_cast<unsigned long>(code));
}

// HKEY_CLASSES_ROOT of this process stands for the user's classes while it lives.
class UserClassesRedirection {
public:
    UserClassesRedirection()
    {
        m_error = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  m_userClasses.addressof(), nullptr);
        if (m_error != ERROR_SUCCESS)
            return;
        // RegisterTypeLib of an administrator writes to the machine's classes
        // unless told that per-user registration is wanted.
        using EnablePerUser = void(WINAPI*)();
        if (const HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll")) {
            if (const auto enable = reinterpret_cast<EnablePerUser>(
                    reinterpret_cast<void*>(GetProcAddress(oleaut, "OaEnablePerUserTLibRegistration"))))
                enable();
        }
        m_error = RegOverridePredefKey(HKEY_CLASSES_ROOT, m_userClasses.get());
    }
    ~UserClassesRedirection()
    {
        if (m_error == ERROR_SUCCESS)
            RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    }
    UserClassesRedirection(const UserClassesRedirection&) = delete;
    UserClassesRedirection& operator=(const UserClassesRedirection&) = delete;

    // ERROR_SUCCESS while HKEY_CLASSES_ROOT is redirected.
    LSTATUS Error() const noexcept { return m_error; }

private:
    UniqueHkey m_userClasses;
    LSTATUS m_error = ERROR_SUCCESS;
};

// The DLL's type library (TYPELIB 1) is unregistered for the user. A DLL
// without one, or whose library is not registered, has nothing to remove;
// any other failure is the result.
HRESULT UnregisterTypeLibrary(const std::wstring& dll)
{
    ComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(dll.c_str(), REGKIND_NONE, library.addressof())))
        return S_OK;
    TLIBATTR attributes{};
    HRESULT result = pelrin::TypeLibraryAttributes(library.get(), attributes);
    if (SUCCEEDED(result)) {
        pelrin::RemoveNeutralLocaleFileKey(attributes);
        UniqueBstr registeredPath;
        if (SUCCEEDED(QueryPathOfRegTypeLib(attributes.guid, attributes.wMajorVerNum, attributes.wMinorVerNum,
                                            attributes.lcid, registeredPath.addressof())))
            result = UnRegisterTypeLib(attributes.guid, attributes.wMajorVerNum, attributes.wMinorVerNum,
                                       attributes.lcid, attributes.syskind);
    }
    return result;
}

int Run(const std::wstring& dll, bool unregister)
{
    const UniqueHmodule module(LoadLibraryExW(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) {
        Report(L"Cannot load", dll, HRESULT_FROM_WIN32(GetLastError()));
        return kNotLoaded;
    }
    const char* const name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    using EntryPoint = HRESULT(STDAPICALLTYPE*)();
    const auto entry = reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(module.get(), name)));
    if (entry == nullptr) {
        Report(unregister ? L"No DllUnregisterServer in" : L"No DllRegisterServer in", dll);
        return kNoEntryPoint;
    }
    const UserClassesRedirection redirection;
    if (redirection.Error() != ERROR_SUCCESS) {
        Report(L"Cannot redirect HKEY_CLASSES_ROOT to the user's classes for", dll,
               HRESULT_FROM_WIN32(static_cast<DWORD>(redirection.Error())));
        return kEntryPointFailed;
    }
    const HRESULT result = entry();
    if (FAILED(result)) {
        Report(unregister ? L"DllUnregisterServer failed for" : L"DllRegisterServer failed for", dll, result);
        return kEntryPointFailed;
    }
    if (unregister) {
        if (const HRESULT typeLibrary = UnregisterTypeLibrary(dll); FAILED(typeLibrary)) {
            Report(L"Cannot unregister the type library of", dll, typeLibrary);
            return kEntryPointFailed;
        }
    }
    Report(unregister ? L"Unregistered for this user:" : L"Registered for this user:", dll);
    return kDone;
}

// A switch's name without its leading '/' or '-'; null for a path.
const wchar_t* SwitchName(const wchar_t* arg)
{
    return arg[0] == L'/' || arg[0] == L'-' ? arg + 1 : nullptr;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    bool unregister = false;
    bool usageError = false;
    int paths = 0;
    std::wstring dll;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* name = SwitchName(argv[i]);
        if (name == nullptr) {
            if (++paths == 1)
                dll = argv[i];
        } else if (_wcsicmp(name, L"u") == 0) {
            unregister = true;
        } else if (_wcsicmp(name, L"s") == 0) {
            g_silent = true;
        } else if (std::wcscmp(name, L"?") == 0 || _wcsicmp(name, L"h") == 0 || _wcsicmp(name, L"-help") == 0) {
            std::fputws(kUsage, stdout);
            return kDone;
        } else {
            usageError = true; // not a path: regsvr32's /i or /n, say, are not supported
        }
    }
    if (usageError || paths != 1) {
        std::fputws(kUsage, stderr);
        return kBadArguments;
    }
    // A full path, as regsvr32 writes one: InprocServer32 takes the path the
    // DLL was loaded from.
    wchar_t full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameW(dll.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    if (length > 0 && length < std::size(full))
        dll = full;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int status = Run(dll, unregister);
    if (SUCCEEDED(init))
        CoUninitialize();
    return status;
}
