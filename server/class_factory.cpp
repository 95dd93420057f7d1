#include "server/class_factory.h"

#include "base/win_owners.h"

#include <new>

namespace pelrin {
namespace {

// COM objects are destroyed by their own Release, never through an interface
// pointer, so the interface's non-virtual destructor is as intended.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class CCachingClassFactory final : public IClassFactory {
public:
    explicit CCachingClassFactory(CreateInstanceFunction createInstance) noexcept
        : m_createInstance(createInstance)
    {
        InitializeCriticalSection(&m_lock);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

    // The table's reference is the first; the library is locked while any
    // client holds one besides it, so the count's 1 <-> 2 steps move the lock.
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        const CriticalSectionLock lock(m_lock);
        if (++m_refCount == 2)
            g_module.Lock();
        return static_cast<ULONG>(m_refCount);
    }

    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG count = 0;
        {
            const CriticalSectionLock lock(m_lock);
            count = --m_refCount;
            if (count == 1)
                g_module.Unlock();
        }
        // Outside the lock: the lock is part of what is deleted.
        if (count == 0)
            delete this;
        return static_cast<ULONG>(count);
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (outer != nullptr && !IsEqualIID(riid, IID_IUnknown))
            return CLASS_E_NOAGGREGATION;
        return m_createInstance(outer, riid, ppv);
    }

    // The new factory, queried for riid; deleted again when the query fails.
    static HRESULT Create(CreateInstanceFunction createInstance, REFIID riid, void** ppv) noexcept
    {
        auto* factory = new (std::nothrow) CCachingClassFactory(createInstance);
        if (factory == nullptr)
            return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(riid, ppv);
        if (FAILED(hr))
            delete factory;
        return hr;
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            g_module.Lock();
        else
            g_module.Unlock();
        return S_OK;
    }

private:
    ~CCachingClassFactory() { DeleteCriticalSection(&m_lock); }
    CCachingClassFactory(const CCachingClassFactory&) = delete;
    CCachingClassFactory& operator=(const CCachingClassFactory&) = delete;

    LONG m_refCount = 0;
    CreateInstanceFunction m_createInstance;
    CRITICAL_SECTION m_lock;
};

#pragma GCC diagnostic pop

} // namespace

HRESULT CreateCachingClassFactory(CreateInstanceFunction createInstance, REFIID riid,
                                  void** ppv) noexcept
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    return CCachingClassFactory::Create(createInstance, riid, ppv);
}

} // namespace pelrin
