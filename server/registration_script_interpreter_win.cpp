#include "server/registration_script.h"

#include "server/registry_script_win.h"
#include "server/resource_ids.h"

#include <new>

namespace pelrin {

HRESULT RunRegistrationScript(const wchar_t* modulePath, bool doRegister) noexcept
{
    try {
        SystemRegistryScript script;
        HRESULT hr = script.AddSubstitution(L"Module", modulePath);
        if (SUCCEEDED(hr))
            hr = script.RunResourceScript(modulePath, IDR_PELRINENGINE, L"REGISTRY", doRegister);
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace pelrin
