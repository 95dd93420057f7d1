#include "server/type_info_cache.h"

#include "base/com_ptr.h"
#include "base/win_owners.h"
#include "server/module.h"
#include "server/pelrin.h"

namespace pelrin {

// The library is built for one locale, US English.
constinit TypeInfoCache g_engineTypeInfo{IID_IPelrinEngine, LIBID_PELRINLib, 1, 0, 0x0409};

void TypeInfoCache::AddObject() noexcept
{
    const CriticalSectionLock lock(g_module.TypeInfoLock());
    ++m_objectCount;
}

void TypeInfoCache::RemoveObject() noexcept
{
    const CriticalSectionLock lock(g_module.TypeInfoLock());
    if (--m_objectCount == 0 && m_typeInfo != nullptr) {
        m_typeInfo->Release();
        m_typeInfo = nullptr;
    }
}

HRESULT TypeInfoCache::Get(LCID lcid, ITypeInfo** typeInfo) noexcept
{
    *typeInfo = nullptr;
    const CriticalSectionLock lock(g_module.TypeInfoLock());
    if (m_typeInfo == nullptr) {
        ComPtr<ITypeLib> library;
        HRESULT hr = LoadRegTypeLib(*m_libid, m_major, m_minor, lcid, library.addressof());
        // The library is registered under its own locale only, and the lookup
        // does not always fall back to it (Wine finds nothing for the neutral
        // locale 0 that script engines pass); any caller's locale gets the
        // same library, so look there before giving up.
        if (FAILED(hr) && lcid != m_libraryLocale &&
            SUCCEEDED(LoadRegTypeLib(*m_libid, m_major, m_minor, m_libraryLocale, library.addressof())))
            hr = S_OK;
        if (FAILED(hr))
            return hr;
        hr = library->GetTypeInfoOfGuid(*m_iid, &m_typeInfo);
        if (FAILED(hr)) {
            m_typeInfo = nullptr;
            return hr;
        }
    }
    m_typeInfo->AddRef();
    *typeInfo = m_typeInfo;
    return S_OK;
}

} // namespace pelrin
