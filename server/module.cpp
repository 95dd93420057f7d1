#include "server/module.h"

namespace pelrin {

constinit Module g_module;

void Module::Init(ClassTableEntry* classTable, HINSTANCE instance) noexcept
{
    // The library is its own resource and type-library file.
    m_instance = instance;
    m_resourceInstance = instance;
    m_typeLibInstance = instance;
    m_classTable = classTable;
    m_lockCount = 0;
    m_heap = nullptr;
    InitializeCriticalSection(&m_typeInfoLock);
    InitializeCriticalSection(&m_classTableLock);
    m_initialised = true;
}

void Module::Term() noexcept
{
    if (!m_initialised)
        return;
    for (ClassTableEntry* entry = m_classTable; entry != nullptr && entry->clsid != nullptr; ++entry) {
        if (entry->classObject != nullptr) {
            entry->classObject->Release();
            entry->classObject = nullptr;
        }
    }
    DeleteCriticalSection(&m_classTableLock);
    DeleteCriticalSection(&m_typeInfoLock);
    if (m_heap != nullptr) {
        HeapDestroy(m_heap);
        m_heap = nullptr;
    }
    m_initialised = false;
}

} // namespace pelrin
