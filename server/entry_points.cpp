#include "server/entry_points.h"

#include "base/win_owners.h"
#include "server/registration.h"
#include "server/shared_progids.h"

#include <atomic>

namespace pelrin {
namespace {

// Entries with a description are not registered by this library.
bool TakesPartInRegistration(const ClassTableEntry& entry) noexcept
{
    return entry.description == nullptr || entry.description() == nullptr;
}

// The cache is read without the lock on the common path; publish and read it
// with ordering so a reader never sees the pointer before the object.
std::atomic_ref<IUnknown*> CachedClassObject(ClassTableEntry& entry) noexcept
{
    return std::atomic_ref<IUnknown*>(entry.classObject);
}

} // namespace

HRESULT GetClassObject(Module& module, REFCLSID rclsid, REFIID riid, void** ppv) noexcept
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;

    HRESULT hr = S_OK;
    for (ClassTableEntry* entry = module.ClassTable(); entry != nullptr && entry->clsid != nullptr; ++entry) {
        if (!IsEqualCLSID(*entry->clsid, rclsid))
            continue;
        auto cache = CachedClassObject(*entry);
        IUnknown* classObject = cache.load(std::memory_order_acquire);
        if (classObject == nullptr) {
            const CriticalSectionLock lock(module.ClassTableLock());
            classObject = cache.load(std::memory_order_relaxed);
            if (classObject == nullptr) {
                hr = entry->createClassObject(entry->createInstance, IID_IUnknown,
                                              reinterpret_cast<void**>(&classObject));
                if (SUCCEEDED(hr))
                    cache.store(classObject, std::memory_order_release);
                else
                    classObject = nullptr;
            }
        }
        if (classObject != nullptr)
            hr = classObject->QueryInterface(riid, ppv);
        break;
    }
    if (*ppv == nullptr && hr == S_OK)
        hr = CLASS_E_CLASSNOTAVAILABLE;
    return hr;
}

HRESULT CanUnloadNow(const Module& module) noexcept
{
    return module.LockCount() == 0 ? S_OK : S_FALSE;
}

HRESULT RegisterServer(Module& module) noexcept
{
    // A path the narrow registration cannot carry is refused before any
    // entry is written.
    RegistrationPath path;
    HRESULT hr = GetRegistrationPath(module.ModuleInstance(), path);
    if (FAILED(hr))
        return hr;
    for (ClassTableEntry* entry = module.ClassTable(); entry != nullptr && entry->clsid != nullptr; ++entry) {
        if (!TakesPartInRegistration(*entry))
            continue;
        hr = entry->updateRegistry(TRUE);
        if (FAILED(hr))
            return hr;
    }
    return RegisterTypeLibraryOf(module.TypeLibInstance());
}

HRESULT UnregisterServer(Module& module) noexcept
{
    for (ClassTableEntry* entry = module.ClassTable(); entry != nullptr && entry->clsid != nullptr; ++entry) {
        if (TakesPartInRegistration(*entry)) {
            entry->updateRegistry(FALSE);
            KeepProgIdsOfTheOtherView(*entry->clsid);
        }
    }
    return S_OK;
}

} // namespace pelrin
