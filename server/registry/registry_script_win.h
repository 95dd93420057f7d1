#pragma once
// The registry script interpreter over the real registry, as self-registration
// uses it. One object per registration or unregistration:
//
//     SystemRegistryScript script;
//     HRESULT hr = script.AddSubstitution(L"Module", modulePath);
//     if (SUCCEEDED(hr))
//         hr = script.RunResourceScript(modulePath, 101, L"REGISTRY", registerMode);
//
// The script language and the meaning of both modes: registry_script.h.

#include "server/registry/registry_access_win.h"
#include "server/registry/registry_script.h"

#include <windows.h>

namespace pelrin {

class SystemRegistryScript {
public:
    SystemRegistryScript();

    // Adds the placeholder %name% (matched without regard to ASCII case) with
    // its value, both copied. S_OK, E_OUTOFMEMORY, or E_INVALIDARG for null.
    HRESULT AddSubstitution(const wchar_t* name, const wchar_t* value) noexcept;

    // Loads resource resourceId of type resourceType from the module file as
    // data (the stored script has no terminator) and runs it. A module or
    // resource that cannot be loaded gives the system error as an HRESULT
    // of facility Win32.
    HRESULT RunResourceScript(const wchar_t* modulePath, UINT resourceId, const wchar_t* resourceType,
                              bool registerMode) noexcept;

    // The same from a module that is loaded already, found by its handle.
    HRESULT RunModuleScript(HMODULE module, UINT resourceId, const wchar_t* resourceType,
                            bool registerMode) noexcept;

private:
    HRESULT RunLoadedScript(HMODULE module, UINT resourceId, const char* resourceType, bool registerMode);

    Advapi32Registry m_registry;
    SystemAnsiText m_text;
    RegistryScriptInterpreter m_interpreter;
};

} // namespace pelrin
