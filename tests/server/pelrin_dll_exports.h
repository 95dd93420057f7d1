#pragma once
// PELRIN.DLL loaded as a client process loads it, with its four exports
// called through GetProcAddress: what these tests exercise is the real DLL
// and its real export table. Needs PELRIN_DLL_PATH (the built DLL, Unix path).

#include "base/com_ptr.h"
#include "base/win_owners.h"
#include "tests/server/built_dll_path.h"

#include <windows.h>
#include <unknwn.h>

#include <string>

namespace pelrin::test {

class PelrinDllExports {
public:
    using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();
    using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using RegisterFunction = HRESULT(STDAPICALLTYPE*)();

    explicit PelrinDllExports(const std::wstring& path = BuiltDllPath())
        : m_module(LoadLibraryW(path.c_str()))
    {
        if (!m_module)
            return;
        m_canUnloadNow = Export<CanUnloadNowFunction>("DllCanUnloadNow");
        m_getClassObject = Export<GetClassObjectFunction>("DllGetClassObject");
        m_registerServer = Export<RegisterFunction>("DllRegisterServer");
        m_unregisterServer = Export<RegisterFunction>("DllUnregisterServer");
    }

    // True when the DLL is loaded and has all four exports.
    bool Loaded() const noexcept
    {
        return m_module && m_canUnloadNow && m_getClassObject && m_registerServer && m_unregisterServer;
    }
    HMODULE Module() const noexcept { return m_module.get(); }

    HRESULT CanUnloadNow() const { return m_canUnloadNow(); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const
    {
        return m_getClassObject(clsid, iid, ppv);
    }
    HRESULT RegisterServer() const { return m_registerServer(); }
    HRESULT UnregisterServer() const { return m_unregisterServer(); }

    // An export by name or, with MAKEINTRESOURCEA, by ordinal.
    template <typename Function>
    Function Export(const char* nameOrOrdinal) const
    {
        // Through void(*)(): the one function pointer type any other casts
        // to without a warning.
        return reinterpret_cast<Function>(
            reinterpret_cast<void (*)()>(GetProcAddress(m_module.get(), nameOrOrdinal)));
    }

private:
    UniqueHmodule m_module;
    CanUnloadNowFunction m_canUnloadNow = nullptr;
    GetClassObjectFunction m_getClassObject = nullptr;
    RegisterFunction m_registerServer = nullptr;
    RegisterFunction m_unregisterServer = nullptr;
};

} // namespace pelrin::test
