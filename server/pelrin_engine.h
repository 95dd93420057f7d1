#pragma once
// CPelrinEngine: the creatable class of the library. One table of functions
// serves IUnknown, IDispatch and IPelrinEngine; IDispatch is answered from the
// type library. Each object owns one PelrinEngineImpl for its whole life.

#include "base/release.h"
#include "engine/pelrin_engine_impl.h"
#include "engine/phrase_table.h"
#include "server/pelrin.h"

#include <windows.h>
#include <oaidl.h>

#include <memory>

namespace pelrin {

class CPelrinEngineAggregate;

// COM objects are destroyed by their own Release, never through an interface
// pointer, so the interfaces' non-virtual destructors are as intended.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class CPelrinEngine final : public IPelrinEngine {
public:
    // IUnknown: the object's own, or the outer object's when aggregated.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT itinfo, LCID lcid, ITypeInfo** pptinfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                     EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // IPelrinEngine
    HRESULT STDMETHODCALLTYPE LookupAlternatePhrases(BSTR phrase, VARIANT* altphrasearray) override;
    HRESULT STDMETHODCALLTYPE MatchWord(BSTR word, VARIANT* vStrArray) override;
    HRESULT STDMETHODCALLTYPE GetIgnoredPhrases(VARIANT* vStrArray) override;
    HRESULT STDMETHODCALLTYPE AddIgnoredPhrase(BSTR phrase, LONG* bOk) override;
    HRESULT STDMETHODCALLTYPE RemoveIgnoredPhrase(BSTR phrase, LONG* bOk) override;
    HRESULT STDMETHODCALLTYPE ClearIgnoredPhrases(LONG* bOk) override;
    // The interface has these two (pelrin_engine_settings.cpp) only where
    // the version has the settings file; its IDL asks the same condition.
#if PELRIN_SETTINGS_FILE
    HRESULT STDMETHODCALLTYPE SaveIgnoredPhrases() override;
    HRESULT STDMETHODCALLTYPE LoadIgnoredPhrases() override;
#else
    // Without it, a client built for the later version still calls these two
    // slots under the same IID. They refuse and change nothing, where the
    // call would otherwise land on ConstructImpl or ReleaseImpl (which, on
    // i686, take `this` in a register, not on the stack as COM passes it).
    virtual HRESULT STDMETHODCALLTYPE SaveIgnoredPhrases() noexcept { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE LoadIgnoredPhrases() noexcept { return E_NOTIMPL; }
#endif

    // Construction and release of the PelrinEngineImpl; never called by clients.
    virtual HRESULT ConstructImpl() noexcept;
    virtual HRESULT ReleaseImpl() noexcept;

private:
    friend class CPelrinEngineAggregate;
    friend HRESULT CreatePelrinEngine(IUnknown*, REFIID, void**, StoredPhraseTable) noexcept;

    CPelrinEngine(IUnknown* outer, StoredPhraseTable phraseTable) noexcept;
    ~CPelrinEngine();
    CPelrinEngine(const CPelrinEngine&) = delete;
    CPelrinEngine& operator=(const CPelrinEngine&) = delete;

    // The lookup behind QueryInterface, whatever the object's outer.
    HRESULT InnerQueryInterface(REFIID riid, void** ppv);
    // Count pinned at 1 so that references taken during teardown cannot
    // start a second destruction.
    void Destroy() noexcept;

    // body(store) with the object's store; E_UNEXPECTED without one.
    template <typename Body>
    HRESULT WithStore(Body body)
    {
        if (!m_pImpl)
            return E_UNEXPECTED;
        return body(*m_pImpl);
    }
    // The start every interface method shares, in this order: the `entering`
    // trace line; `result` cleared to VT_NULL, unless clearFailed is nullptr
    // (a result that cannot be cleared is first reported with
    // clearFailed(hr)); the string argument *text in the ANSI code page,
    // unless text is null; then body(store, text) through WithStore. Nothing
    // thrown crosses, and a result is left VT_NULL when something was.
    template <typename ClearFailed, typename Body>
    HRESULT Method(const char* entering, VARIANT* result, ClearFailed clearFailed,
                   const BSTR* text, Body body) noexcept;

    LONG m_refCount = 0;
    std::unique_ptr<PelrinEngineImpl> m_pImpl;
    IUnknown* m_outer;                 // null unless aggregated; not owned
    StoredPhraseTable m_phraseTable;   // the stored table ConstructImpl loads
};

#pragma GCC diagnostic pop

// Creates an engine object over the built-in phrase table: the instance
// creation function of the class. With an outer unknown only IID_IUnknown
// may be asked for (CLASS_E_NOAGGREGATION otherwise).
HRESULT CreatePelrinEngine(IUnknown* outer, REFIID riid, void** ppv) noexcept;

// The same over a given stored phrase table, which must outlive the object.
HRESULT CreatePelrinEngine(IUnknown* outer, REFIID riid, void** ppv,
                           StoredPhraseTable phraseTable) noexcept;

} // namespace pelrin
