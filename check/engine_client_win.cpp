#include "check/engine_client_win.h"

#include "base/code_page_text_win.h"
#include "base/last_error_win.h"
#include "base/module_path_win.h"
#include "base/win_owners.h"

#include <cstdio>
#include <new>
#include <string_view>

namespace pelrin::check {
namespace {

constexpr wchar_t kProgId[] = L"Pelrin.PelrinEngine.1";

HRESULT CreateByProgId(ComPtr<IPelrinEngine>& engine) noexcept
{
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPelrinEngine, engine.addressofVoid());
    return hr;
}

// Ends the access to an array's data that SafeArrayAccessData began.
using ArrayAccess = UniqueResource<SAFEARRAY*, &SafeArrayUnaccessData>;

} // namespace

ActivationContext::~ActivationContext()
{
    if (m_cookie != 0)
        DeactivateActCtx(0, m_cookie);
    if (m_context != INVALID_HANDLE_VALUE)
        ReleaseActCtx(m_context);
}

HRESULT ActivationContext::Activate(WORD manifestResource) noexcept
{
    std::wstring program;
    const HRESULT found = GetModulePath(nullptr, program);
    if (FAILED(found))
        return found;
    const std::size_t slash = program.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return LastErrorAsHresult();
    const std::wstring folder = program.substr(0, slash + 1);

    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_ASSEMBLY_DIRECTORY_VALID;
    request.lpSource = program.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(manifestResource);
    request.lpAssemblyDirectory = folder.c_str();
    m_context = CreateActCtxW(&request);
    if (m_context == INVALID_HANDLE_VALUE)
        return LastErrorAsHresult();
    if (!ActivateActCtx(m_context, &m_cookie)) {
        m_cookie = 0;
        return LastErrorAsHresult();
    }
    return S_OK;
}

HRESULT EngineConnection::Open(WORD manifestResource, HRESULT& fallback)
{
    fallback = S_FALSE;
    const HRESULT registered = CreateByProgId(m_engine);
    if (SUCCEEDED(registered))
        return registered;
    fallback = m_context.Activate(manifestResource);
    if (SUCCEEDED(fallback))
        fallback = CreateByProgId(m_engine);
    return SUCCEEDED(fallback) ? S_OK : registered;
}

HRESULT ReadStringList(const VARIANT& list, std::vector<std::string>& strings)
{
    strings.clear();
    if (V_VT(&list) == VT_NULL)
        return S_OK;
    SAFEARRAY* array = V_VT(&list) == (VT_ARRAY | VT_VARIANT) ? V_ARRAY(&list) : nullptr;
    if (array == nullptr || SafeArrayGetDim(array) != 1)
        return E_UNEXPECTED;
    LONG lower = 0;
    LONG upper = -1;
    HRESULT hr = SafeArrayGetLBound(array, 1, &lower);
    if (SUCCEEDED(hr))
        hr = SafeArrayGetUBound(array, 1, &upper);
    VARIANT* items = nullptr;
    if (SUCCEEDED(hr))
        hr = SafeArrayAccessData(array, reinterpret_cast<void**>(&items));
    if (FAILED(hr))
        return hr;
    const ArrayAccess access(array);
    const std::size_t count = upper >= lower ? static_cast<std::size_t>(upper - lower) + 1 : 0;
    for (std::size_t i = 0; i < count && SUCCEEDED(hr); ++i) {
        std::string text;
        hr = V_VT(&items[i]) == VT_BSTR ? BstrToNarrow(V_BSTR(&items[i]), text, CP_UTF8) : E_UNEXPECTED;
        if (SUCCEEDED(hr))
            strings.push_back(std::move(text));
    }
    return hr;
}

namespace {

// One question to the engine and its list of strings; a failure throws.
std::vector<std::string> Ask(IPelrinEngine* engine, HRESULT (STDMETHODCALLTYPE IPelrinEngine::*method)(BSTR, VARIANT*),
                             const char* name, const std::string& question)
{
    UniqueBstr text;
    HRESULT hr = NarrowToBstr(question, text.addressof(), CP_UTF8);
    UniqueVariant answer;
    if (SUCCEEDED(hr))
        hr = (engine->*method)(text.get(), answer.addressof());
    std::vector<std::string> strings;
    if (SUCCEEDED(hr))
        hr = ReadStringList(answer.get(), strings);
    if (FAILED(hr)) {
        char message[96];
        std::snprintf(message, sizeof message, "%s failed (0x%08lX)", name, static_cast<unsigned long>(hr));
        throw EngineFailure(message);
    }
    return strings;
}

} // namespace

HRESULT ReadIgnoredPhrases(IPelrinEngine* engine, std::vector<std::string>& phrases, HRESULT& loadResult)
{
    // Version 1.0.0.1 of the engine has no LoadIgnoredPhrases: its table of
    // functions ends before that slot, so ask the type information first.
    wchar_t name[] = L"LoadIgnoredPhrases";
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    loadResult = engine->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (loadResult == DISP_E_UNKNOWNNAME)
        loadResult = S_OK; // nothing to load, nothing lost
    else if (SUCCEEDED(loadResult))
        loadResult = engine->LoadIgnoredPhrases();
    UniqueVariant list;
    const HRESULT hr = engine->GetIgnoredPhrases(list.addressof());
    return FAILED(hr) ? hr : ReadStringList(list.get(), phrases);
}

std::vector<std::string> EnginePhraseSource::PhrasesStartingWith(const std::string& word)
{
    return Ask(m_engine, &IPelrinEngine::MatchWord, "MatchWord", word);
}

std::vector<std::string> EnginePhraseSource::AlternatesOf(const std::string& phrase)
{
    return Ask(m_engine, &IPelrinEngine::LookupAlternatePhrases, "LookupAlternatePhrases", phrase);
}

} // namespace pelrin::check
