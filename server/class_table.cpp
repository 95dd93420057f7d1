#include "server/class_table.h"

#include "server/class_factory.h"
#include "server/pelrin.h"
#include "server/pelrin_engine.h"
#include "server/registration.h"
#include "server/registry_script_win.h"
#include "server/resource_ids.h"

#include <new>

namespace pelrin {
namespace {

// A class with a description is left out of registration; the engine has none.
const char* NoDescription() noexcept
{
    return nullptr;
}

} // namespace

constinit ClassTableEntry g_classTable[] = {
    {&CLSID_PelrinEngine, &UpdatePelrinEngineRegistry, &CreateCachingClassFactory,
     static_cast<CreateInstanceFunction>(&CreatePelrinEngine), nullptr, 0, &NoDescription},
    {nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr},
};

HRESULT UpdatePelrinEngineRegistry(BOOL doRegister) noexcept
{
    try {
        SystemRegistryScript script;
        if (!doRegister) {
            // Unregistering removes keys by name and writes no value, so it
            // needs no path that registration would accept, nor the file by
            // its path: a copy the code page cannot name is unregistered too.
            const HRESULT hr = script.AddSubstitution(L"Module", L"");
            return FAILED(hr) ? hr
                              : script.RunModuleScript(g_module.ResourceInstance(), IDR_PELRINENGINE, L"REGISTRY",
                                                       false);
        }
        RegistrationPath path;
        HRESULT hr = GetRegistrationPath(g_module.ModuleInstance(), path);
        if (SUCCEEDED(hr))
            hr = script.AddSubstitution(L"Module", path.wide.c_str());
        if (SUCCEEDED(hr))
            hr = script.RunResourceScript(path.wide.c_str(), IDR_PELRINENGINE, L"REGISTRY", true);
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace pelrin
