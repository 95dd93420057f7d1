#include "server/pelrin_engine.h"

#include "base/com_ptr.h"
#include "base/code_page_text_win.h"
#include "diag/trace.h"
#include "engine/engine_error.h"
#include "engine/phrase_table.h"
#include "engine/word_lookup.h"
#include "ignored/ignored_list.h"
#include "server/error_info.h"
#include "server/method_barrier.h"
#include "server/module.h"
#include "server/string_array_result.h"
#include "server/type_info_cache.h"

#include <iterator>
#include <new>
#include <string>

namespace pelrin {

// The wrapper of an aggregated engine: its own IUnknown is the outer object's
// private, non-delegating one; the contained engine's IUnknown delegates to
// the outer object.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class CPelrinEngineAggregate final : public IUnknown {
public:
    CPelrinEngineAggregate(IUnknown* outer, StoredPhraseTable phraseTable) noexcept
        : m_contained(outer, phraseTable)
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return m_contained.InnerQueryInterface(riid, ppv);
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refCount); }

    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG count = --m_refCount;
        if (count == 0)
            Destroy();
        return static_cast<ULONG>(count);
    }

    CPelrinEngine& Engine() noexcept { return m_contained; }

    void Destroy() noexcept
    {
        m_refCount = 1;
        m_contained.ReleaseImpl();
        delete this;
    }

private:
    ~CPelrinEngineAggregate() = default;
    CPelrinEngineAggregate(const CPelrinEngineAggregate&) = delete;
    CPelrinEngineAggregate& operator=(const CPelrinEngineAggregate&) = delete;

    LONG m_refCount = 0;
    CPelrinEngine m_contained;
};
#pragma GCC diagnostic pop

namespace {

const std::string& Itself(const std::string& text) noexcept
{
    return text;
}

const std::string& AlternateOf(const AlternateMap::value_type& entry) noexcept
{
    return entry.second;
}

} // namespace

CPelrinEngine::CPelrinEngine(IUnknown* outer, StoredPhraseTable phraseTable) noexcept
    : m_outer(outer), m_phraseTable(phraseTable)
{
    g_module.Lock();
    g_engineTypeInfo.AddObject();
}

CPelrinEngine::~CPelrinEngine()
{
    g_module.Unlock();
    g_engineTypeInfo.RemoveObject();
}

void CPelrinEngine::Destroy() noexcept
{
    m_refCount = 1;
    ReleaseImpl();
    delete this;
}

HRESULT CreatePelrinEngine(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return CreatePelrinEngine(outer, riid, ppv, BuiltInPhraseTable());
}

HRESULT CreatePelrinEngine(IUnknown* outer, REFIID riid, void** ppv,
                           StoredPhraseTable phraseTable) noexcept
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr && !IsEqualIID(riid, IID_IUnknown))
        return CLASS_E_NOAGGREGATION;
    // Shared by the plain and the aggregated object: construct the
    // implementation, then hand out the requested interface; on any failure
    // the object is destroyed before the client sees it.
    const auto constructAndQuery = [riid, ppv](auto* object, CPelrinEngine& engine) noexcept {
        HRESULT hr = engine.ConstructImpl();
        if (hr == S_OK)
            hr = object->QueryInterface(riid, ppv);
        if (hr != S_OK)
            object->Destroy();
        return hr;
    };
    if (outer == nullptr) {
        auto* object = new (std::nothrow) CPelrinEngine(nullptr, phraseTable);
        if (object == nullptr)
            return E_OUTOFMEMORY;
        return constructAndQuery(object, *object);
    }
    auto* object = new (std::nothrow) CPelrinEngineAggregate(outer, phraseTable);
    if (object == nullptr)
        return E_OUTOFMEMORY;
    return constructAndQuery(object, object->Engine());
}

HRESULT CPelrinEngine::ConstructImpl() noexcept
{
    // The object's own lock would be taken here; in the apartment model the
    // class is registered with, it is empty.
    m_pImpl.reset();
    try {
        m_pImpl = std::make_unique<PelrinEngineImpl>(m_phraseTable);
    } catch (HRESULT hr) {
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
    return S_OK;
}

HRESULT CPelrinEngine::ReleaseImpl() noexcept
{
    m_pImpl.reset();
    return S_OK;
}

// --- IUnknown ---

HRESULT CPelrinEngine::InnerQueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, IID_IPelrinEngine)) {
        *ppv = static_cast<IPelrinEngine*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT CPelrinEngine::QueryInterface(REFIID riid, void** ppv)
{
    if (m_outer != nullptr)
        return m_outer->QueryInterface(riid, ppv);
    return InnerQueryInterface(riid, ppv);
}

ULONG CPelrinEngine::AddRef()
{
    if (m_outer != nullptr)
        return m_outer->AddRef();
    return static_cast<ULONG>(++m_refCount);
}

ULONG CPelrinEngine::Release()
{
    if (m_outer != nullptr)
        return m_outer->Release();
    const LONG count = --m_refCount;
    if (count == 0)
        Destroy();
    return static_cast<ULONG>(count);
}

// --- IDispatch ---

HRESULT CPelrinEngine::GetTypeInfoCount(UINT* pctinfo)
{
    if (pctinfo == nullptr)
        return E_POINTER;
    *pctinfo = 1;
    return S_OK;
}

HRESULT CPelrinEngine::GetTypeInfo(UINT /*itinfo*/, LCID lcid, ITypeInfo** pptinfo)
{
    if (pptinfo == nullptr)
        return E_POINTER;
    return g_engineTypeInfo.Get(lcid, pptinfo);
}

HRESULT CPelrinEngine::GetIDsOfNames(REFIID /*riid*/, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                     DISPID* rgDispId)
{
    ComPtr<ITypeInfo> typeInfo;
    const HRESULT hr = g_engineTypeInfo.Get(lcid, typeInfo.addressof());
    if (FAILED(hr))
        return hr;
    return typeInfo->GetIDsOfNames(rgszNames, cNames, rgDispId);
}

HRESULT CPelrinEngine::Invoke(DISPID dispIdMember, REFIID /*riid*/, LCID lcid, WORD wFlags,
                              DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                              UINT* puArgErr)
{
    SetErrorInfo(0, nullptr);
    ComPtr<ITypeInfo> typeInfo;
    const HRESULT hr = g_engineTypeInfo.Get(lcid, typeInfo.addressof());
    if (FAILED(hr))
        return hr;
    return typeInfo->Invoke(static_cast<IPelrinEngine*>(this), dispIdMember, wFlags, pDispParams,
                            pVarResult, pExcepInfo, puArgErr);
}

// --- IPelrinEngine ---

HRESULT CPelrinEngine::LookupAlternatePhrases(BSTR phrase, VARIANT* altphrasearray)
{
    return Guarded(altphrasearray, [&]() -> HRESULT {
        TRACE_BASIC("CPelrinEngine::LookupAlternatePhrases-1, entering");
        HRESULT hr = ClearToNull(altphrasearray);
        if (FAILED(hr)) {
            TRACE_BASIC("CPelrinEngine::LookupAlternatePhrases-2, failed to clear VARIANT return "
                        "result");
            DEBUG_MESSAGE("failed to clear VARIANT return result\n");
            return hr;
        }
        std::string narrow;
        hr = BstrToNarrow(phrase, narrow);
        if (FAILED(hr))
            return hr;
        if (!m_pImpl)
            return E_UNEXPECTED;
        TRACE_VERBOSE("CPelrinEngine::LookupAlternatePhrases-4, phrase: /%s/", narrow.c_str());

        const auto [first, last] = m_pImpl->m_alternates.equal_range(narrow);
        const auto count = static_cast<std::size_t>(std::distance(first, last));
        if (count > 0) {
            hr = WriteStringArray(
                first, count, AlternateOf, altphrasearray,
                [](int n) {
                    TRACE_BASIC("CPelrinEngine::LookupAlternatePhrases-5, can't create %d-element "
                                "variant array",
                                n);
                    DEBUG_MESSAGE("can't create %d-element variant array\n", n);
                },
                [](int index) {
                    TRACE_BASIC("CPelrinEngine::LookupAlternatePhrases-6, can't assign array "
                                "element %d",
                                index);
                    DEBUG_MESSAGE("can't assign array element %d\n", index);
                });
            if (FAILED(hr))
                return hr;
        }
        TRACE_BASIC("CPelrinEngine::LookupAlternatePhrases-7, leaving: nphrases: %d",
                    static_cast<int>(count));
        return S_OK;
    });
}

HRESULT CPelrinEngine::MatchWord(BSTR word, VARIANT* vStrArray)
{
    return Guarded(vStrArray, [&]() -> HRESULT {
        TRACE_BASIC("CPelrinEngine::MatchWord-1, entering");
        HRESULT hr = ClearToNull(vStrArray);
        if (FAILED(hr)) {
            TRACE_BASIC("CPelrinEngine::MatchWord-2, failed to clear VARIANT return result, error: %d",
                        static_cast<int>(hr));
            if constexpr (release::kMatchWordErrorObject)
                SetComError(IID_IPelrinEngine, L"Pelrin.PelrinEngine.1",
                            L"failed to clear VARIANT return result");
            return hr;
        }
        std::string narrow;
        hr = BstrToNarrow(word, narrow);
        if (FAILED(hr))
            return hr;
        if (!m_pImpl)
            return E_UNEXPECTED;

        const PhraseSet* phrases = FindPhrasesOfFirstWord(*m_pImpl, narrow);
        if (phrases == nullptr)
            return S_OK;
        // Every phrase of the word ignored: an empty array (1.0.0.5), or no
        // match (1.0.0.1, where the lookup answers null).
        return WriteStringArray(
            phrases->begin(), phrases->size(), Itself, vStrArray,
            [](int n) {
                TRACE_BASIC("CPelrinEngine::MatchWord-4, can't create %d-element variant array\n", n);
                DEBUG_MESSAGE("can't create %d-element variant array\n", n);
            },
            [](int index) {
                TRACE_BASIC("CPelrinEngine::MatchWord-5, can't assign array element %d\n", index);
                DEBUG_MESSAGE("can't assign array element %d\n", index);
            });
    });
}

HRESULT CPelrinEngine::GetIgnoredPhrases(VARIANT* vStrArray)
{
    return Guarded(vStrArray, [&]() -> HRESULT {
        TRACE_BASIC("CPelrinEngine::GetIgnoredPhrases-1, entering");
        HRESULT hr = ClearToNull(vStrArray);
        if (FAILED(hr)) {
            TRACE_BASIC("CPelrinEngine::GetIgnoredPhrases-2, failed to clear VARIANT return result\n");
            DEBUG_MESSAGE("failed to clear VARIANT return result\n");
            return hr;
        }
        if (!m_pImpl)
            return E_UNEXPECTED;

        const PhraseSet& listed = m_pImpl->m_ignoredPhrases;
        // 1.0.0.1 counts the list before it builds the array, 1.0.0.5 after.
        DEBUG_MESSAGE("%d ignored phrases.\n", static_cast<int>(listed.size()));
        if (!listed.empty()) {
            hr = WriteStringArray(
                listed.begin(), listed.size(), Itself, vStrArray,
                [](int n) {
                    TRACE_BASIC("CPelrinEngine::GetIgnoredPhrases-4, can't create %d-element "
                                "variant array\n",
                                n);
                    DEBUG_MESSAGE("can't create %d-element variant array\n", n);
                },
                [](int index) {
                    TRACE_BASIC("CPelrinEngine::GetIgnoredPhrases-5, can't assign array element "
                                "%d\n",
                                index);
                    DEBUG_MESSAGE("can't assign array element %d\n", index);
                });
            if (FAILED(hr))
                return hr;
        }
        TRACE_BASIC("CPelrinEngine::GetIgnoredPhrases-6, %d ignored phrases.\n",
                    static_cast<int>(listed.size()));
        return S_OK;
    });
}

// bOk is never written: the HRESULT alone tells the outcome.

HRESULT CPelrinEngine::AddIgnoredPhrase(BSTR phrase, LONG* /*bOk*/)
{
    return Guarded(nullptr, [&]() -> HRESULT {
        TRACE_BASIC("CPelrinEngine::AddIgnoredPhrase-1, entering");
        std::string narrow;
        const HRESULT hr = BstrToNarrow(phrase, narrow);
        if (FAILED(hr))
            return hr;
        if (!m_pImpl)
            return E_UNEXPECTED;
        return IgnorePhrase(*m_pImpl, narrow);
    });
}

HRESULT CPelrinEngine::RemoveIgnoredPhrase(BSTR phrase, LONG* /*bOk*/)
{
    return Guarded(nullptr, [&]() -> HRESULT {
        TRACE_BASIC("CPelrinEngine::RemoveIgnoredPhrase-1, entering");
        std::string narrow;
        const HRESULT hr = BstrToNarrow(phrase, narrow);
        if (FAILED(hr))
            return hr;
        if (!m_pImpl)
            return E_UNEXPECTED;
        return RestoreIgnoredPhrase(*m_pImpl, narrow);
    });
}

HRESULT CPelrinEngine::ClearIgnoredPhrases(LONG* /*bOk*/)
{
    return Guarded(nullptr, [&]() -> HRESULT {
        TRACE_BASIC("CPelrinEngine::ClearIgnoredPhrases-1, entering");
        if (!m_pImpl)
            return E_UNEXPECTED;
        return RestoreAllIgnoredPhrases(*m_pImpl);
    });
}

} // namespace pelrin
