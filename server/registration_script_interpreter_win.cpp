#include "server/registration_script.h"

#include "server/registry/registry_script_win.h"
#include "server/resource_ids.h"

#include <new>

namespace pelrin {

HRESULT RunRegistrationScript(const wchar_t* modulePath) noexcept
{
    try {
        SystemRegistryScript script;
        HRESULT hr = script.AddSubstitution(L"Module", modulePath);
        if (SUCCEEDED(hr))
            hr = script.RunResourceScript(modulePath, IDR_PELRINENGINE, L"REGISTRY", true);
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT RunUnregistrationScript(HMODULE module) noexcept
{
    // The script is read from the loaded library, not from its file by path.
    try {
        SystemRegistryScript script;
        HRESULT hr = script.AddSubstitution(L"Module", L"");
        if (SUCCEEDED(hr))
            hr = script.RunModuleScript(module, IDR_PELRINENGINE, L"REGISTRY", false);
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace pelrin
