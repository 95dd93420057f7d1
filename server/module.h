#pragma once
// The module object: one per process, from DLL_PROCESS_ATTACH to
// DLL_PROCESS_DETACH. It holds the library's handles, the class table, the
// lock count that decides whether the library may be unloaded, and the
// process-wide locks.

#include <windows.h>
#include <unknwn.h>

namespace pelrin {

// Creates an instance of a class: outer unknown (or null), IID, output pointer.
using CreateInstanceFunction = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);
// Writes (TRUE) or removes (FALSE) a class's registry entries.
using RegistrationFunction = HRESULT (*)(BOOL doRegister);
// Creates the class object that hands out instances made by the given function.
using CreateClassObjectFunction = HRESULT (*)(CreateInstanceFunction createInstance, REFIID riid,
                                              void** ppv);
// A class whose description is not null is left out of (un)registration.
using DescriptionFunction = const char* (*)();

// One entry of the class table; an entry whose clsid is null ends the table.
struct ClassTableEntry {
    const CLSID* clsid;
    RegistrationFunction updateRegistry;
    CreateClassObjectFunction createClassObject;
    CreateInstanceFunction createInstance;
    IUnknown* classObject; // cached; the table's reference
    DWORD registrationCookie;
    DescriptionFunction description;
};

class Module {
public:
    // All members start zeroed, so the process-wide object needs no dynamic
    // initialisation and is usable as soon as Init has run.
    constexpr Module() noexcept = default;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    void Init(ClassTableEntry* classTable, HINSTANCE instance) noexcept;
    // Releases the cached class objects and deletes the locks.
    void Term() noexcept;

    LONG Lock() noexcept { return InterlockedIncrement(&m_lockCount); }
    LONG Unlock() noexcept { return InterlockedDecrement(&m_lockCount); }
    LONG LockCount() const noexcept { return InterlockedCompareExchange(&m_lockCount, 0, 0); }

    HINSTANCE ModuleInstance() const noexcept { return m_instance; }
    HINSTANCE ResourceInstance() const noexcept { return m_resourceInstance; }
    HINSTANCE TypeLibInstance() const noexcept { return m_typeLibInstance; }
    ClassTableEntry* ClassTable() const noexcept { return m_classTable; }

    CRITICAL_SECTION& TypeInfoLock() noexcept { return m_typeInfoLock; }
    CRITICAL_SECTION& ClassTableLock() noexcept { return m_classTableLock; }

private:
    HINSTANCE m_instance = nullptr;
    HINSTANCE m_resourceInstance = nullptr;
    HINSTANCE m_typeLibInstance = nullptr;
    ClassTableEntry* m_classTable = nullptr;
    mutable LONG m_lockCount = 0;
    HANDLE m_heap = nullptr; // never created; destroyed at Term if one were set
    CRITICAL_SECTION m_typeInfoLock{};
    CRITICAL_SECTION m_classTableLock{};
    bool m_initialised = false;
};

extern Module g_module;

} // namespace pelrin
