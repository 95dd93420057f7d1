#pragma once
// Small COM objects that tests hand to the engine, living on the test's stack.

#include <unknwn.h>

namespace pelrin::test {

// COM objects are destroyed by their own Release, never through an interface
// pointer, so the interfaces' non-virtual destructors are as intended.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// Counts its references, so a test sees whether something holding it let go.
class CountedObject final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = IsEqualIID(riid, IID_IUnknown) ? static_cast<IUnknown*>(this) : nullptr;
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refCount); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_refCount); }

    LONG m_refCount = 1;
};

// A controlling object for aggregation: answers IUnknown itself and every
// other interface through the inner object it holds.
class OuterObject final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        ++m_delegatedQueries;
        return m_inner != nullptr ? m_inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refCount); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_refCount); }

    IUnknown* m_inner = nullptr; // the inner object's own IUnknown
    LONG m_refCount = 1;
    int m_delegatedQueries = 0;
};

#pragma GCC diagnostic pop

} // namespace pelrin::test
