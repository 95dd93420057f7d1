#pragma once
// The process-wide type information of IPelrinEngine, shared by every engine
// object: loaded from the registered type library on first use and released
// when the last engine object goes away. Count and cache change only under
// the module's type-information lock.

#include <windows.h>
#include <oaidl.h>

namespace pelrin {

class TypeInfoCache {
public:
    constexpr TypeInfoCache(const IID& iid, const GUID& libid, WORD major, WORD minor,
                            LCID libraryLocale) noexcept
        : m_iid(&iid), m_libid(&libid), m_major(major), m_minor(minor), m_libraryLocale(libraryLocale)
    {
    }
    TypeInfoCache(const TypeInfoCache&) = delete;
    TypeInfoCache& operator=(const TypeInfoCache&) = delete;

    // Each engine object counts itself in while it exists.
    void AddObject() noexcept;
    void RemoveObject() noexcept;

    // The interface's type information with a reference for the caller, or
    // the code of LoadRegTypeLib / GetTypeInfoOfGuid.
    HRESULT Get(LCID lcid, ITypeInfo** typeInfo) noexcept;

private:
    const IID* m_iid;
    const GUID* m_libid;
    WORD m_major;
    WORD m_minor;
    LCID m_libraryLocale;
    ITypeInfo* m_typeInfo = nullptr;
    LONG m_objectCount = 0;
};

extern TypeInfoCache g_engineTypeInfo;

} // namespace pelrin
