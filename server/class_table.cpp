#include "server/class_table.h"

#include "server/class_factory.h"
#include "server/pelrin.h"
#include "server/pelrin_engine.h"
#include "server/registration.h"
#include "server/registration_script.h"

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
    if (!doRegister)
        return RunUnregistrationScript(g_module.ResourceInstance());
    RegistrationPath path;
    const HRESULT hr = GetRegistrationPath(g_module.ModuleInstance(), path);
    return FAILED(hr) ? hr : RunRegistrationScript(path.wide.c_str());
}

} // namespace pelrin
