#include "server/pelrin_engine.h"

#include "base/caught_exception_win.h"
#include "base/com_ptr.h"
#include "base/code_page_text_win.h"
#include "base/error_info_win.h"
#include "diag/trace.h"
#include "engine/engine_error.h"
#include "engine/phrase_table.h"
#include "engine/word_lookup.h"
#include "ignored/ignored_list.h"
#include "server/method_barrier.h"
#include "server/module.h"
#include "server/string_array_result.h"
#include "server/type_info_cache.h"

#include <iterator>
#include <new>
#include <string>
#include <type_traits>

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
    return HResultBarrier([&] {
        m_pImpl = std::make_unique<PelrinEngineImpl>(m_phraseTable);
        return S_OK;
    });
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

template <typename ClearFailed, typename Body>
HRESULT CPelrinEngine::Method(const char* entering, VARIANT* result, ClearFailed clearFailed,
                              const BSTR* text, Body body) noexcept
{
    return MethodBarrier(result, [&]() -> HRESULT {
        TRACE_BASIC("%s", entering);
        HRESULT hr = S_OK;
        if constexpr (!std::is_null_pointer_v<ClearFailed>) {
            hr = ClearToNull(result);
            if (FAILED(hr)) {
                clearFailed(hr);
                return hr;
            }
        }
        std::string narrow;
        if (text != nullptr) {
            hr = BstrToNarrow(*text, narrow);
            if (FAILED(hr))
                return hr;
        }
        return WithStore([&](PelrinEngineImpl& store) { return body(store, narrow); });
    });
}

namespace {

// How a method names a failed result array in its trace lines: its name, the
// checkpoint of a failed creation (a failed element is the next one), and
// what its lines end with (some have always sent an empty line after).
struct ArrayTrace {
    const char* method;
    int createFailed;
    const char* end;
};

// Fills a method's result from `count` strings (see WriteStringArray),
// reporting a failure in the method's trace words and on the debugger line
// that all of them share.
template <typename Iterator, typename Text>
HRESULT WriteResult(Iterator first, std::size_t count, Text text, VARIANT* out,
                    const ArrayTrace& trace) noexcept
{
    return WriteStringArray(
        first, count, text, out,
        [&](int n) {
            TRACE_BASIC("CPelrinEngine::%s-%d, can't create %d-element variant array%s", trace.method,
                        trace.createFailed, n, trace.end);
            DEBUG_MESSAGE("can't create %d-element variant array\n", n);
        },
        [&](int index) {
            TRACE_BASIC("CPelrinEngine::%s-%d, can't assign array element %d%s", trace.method,
                        trace.createFailed + 1, index, trace.end);
            DEBUG_MESSAGE("can't assign array element %d\n", index);
        });
}

} // namespace

HRESULT CPelrinEngine::LookupAlternatePhrases(BSTR phrase, VARIANT* altphrasearray)
{
    const auto clearFailed = [](HRESULT) {
        TRACE_BASIC("CPelrinEngine::LookupAlternatePhrases-2, failed to clear VARIANT return result");
        DEBUG_MESSAGE("failed to clear VARIANT return result\n");
    };
    return Method("CPelrinEngine::LookupAlternatePhrases-1, entering", altphrasearray, clearFailed,
                  &phrase, [&](PelrinEngineImpl& store, const std::string& narrow) -> HRESULT {
        TRACE_VERBOSE("CPelrinEngine::LookupAlternatePhrases-4, phrase: /%s/", narrow.c_str());
        const auto [first, last] = store.m_alternates.equal_range(narrow);
        const auto count = static_cast<std::size_t>(std::distance(first, last));
        if (count > 0) {
            const HRESULT hr = WriteResult(first, count, AlternateOf, altphrasearray,
                                           {"LookupAlternatePhrases", 5, ""});
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
    const auto clearFailed = [](HRESULT hr) {
        TRACE_BASIC("CPelrinEngine::MatchWord-2, failed to clear VARIANT return result, error: %d",
                    static_cast<int>(hr));
        if constexpr (release::kMatchWordErrorObject)
            PublishErrorInfo(IID_IPelrinEngine, L"Pelrin.PelrinEngine.1",
                             L"failed to clear VARIANT return result");
    };
    return Method("CPelrinEngine::MatchWord-1, entering", vStrArray, clearFailed, &word,
                  [&](PelrinEngineImpl& store, const std::string& narrow) -> HRESULT {
        const PhraseSet* phrases = FindPhrasesOfFirstWord(store, narrow);
        if (phrases == nullptr)
            return S_OK;
        // Every phrase of the word ignored: an empty array (1.0.0.5), or no
        // match (1.0.0.1, where the lookup answers null).
        return WriteResult(phrases->begin(), phrases->size(), Itself, vStrArray,
                           {"MatchWord", 4, "\n"});
    });
}

HRESULT CPelrinEngine::GetIgnoredPhrases(VARIANT* vStrArray)
{
    const auto clearFailed = [](HRESULT) {
        TRACE_BASIC("CPelrinEngine::GetIgnoredPhrases-2, failed to clear VARIANT return result\n");
        DEBUG_MESSAGE("failed to clear VARIANT return result\n");
    };
    return Method("CPelrinEngine::GetIgnoredPhrases-1, entering", vStrArray, clearFailed, nullptr,
                  [&](PelrinEngineImpl& store, const std::string&) -> HRESULT {
        const PhraseSet& listed = store.m_ignoredPhrases;
        // 1.0.0.1 counts the list before it builds the array, 1.0.0.5 after.
        DEBUG_MESSAGE("%d ignored phrases.\n", static_cast<int>(listed.size()));
        if (!listed.empty()) {
            const HRESULT hr = WriteResult(listed.begin(), listed.size(), Itself, vStrArray,
                                           {"GetIgnoredPhrases", 4, "\n"});
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
    return Method("CPelrinEngine::AddIgnoredPhrase-1, entering", nullptr, nullptr, &phrase,
                  IgnorePhrase);
}

HRESULT CPelrinEngine::RemoveIgnoredPhrase(BSTR phrase, LONG* /*bOk*/)
{
    return Method("CPelrinEngine::RemoveIgnoredPhrase-1, entering", nullptr, nullptr, &phrase,
                  RestoreIgnoredPhrase);
}

HRESULT CPelrinEngine::ClearIgnoredPhrases(LONG* /*bOk*/)
{
    return Method("CPelrinEngine::ClearIgnoredPhrases-1, entering", nullptr, nullptr, nullptr,
                  [](PelrinEngineImpl& store, const std::string&) { return RestoreAllIgnoredPhrases(store); });
}

} // namespace pelrin
