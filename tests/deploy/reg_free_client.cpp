// Creates the engine by CLSID and by ProgID and asks it for the phrases of
// "at", through its table of functions and late-bound (IDispatch::Invoke of
// the method found by name, which the engine answers from its type library,
// found through the activation context), printing each step's HRESULT: with
// the application manifest beside it (and PELRIN.DLL with its assembly
// manifest) it needs no registry entry; without it, creation fails as for any
// unregistered class. Then a thread of the multithreaded apartment creates it
// and asks from two threads, through COM's marshaler, which needs the type
// library registered or in the manifest.

#include "server/pelrin.h"

#include <objbase.h>

#include <cstdio>
#include <thread>

namespace {

void Report(const char* how, HRESULT hr, long phrases)
{
    std::printf("%s: 0x%08lx %ld\n", how, static_cast<unsigned long>(hr), phrases);
}

long Count(const VARIANT& phrases)
{
    long count = -1;
    LONG upper = -1;
    if (V_VT(&phrases) == (VT_ARRAY | VT_VARIANT) && SUCCEEDED(SafeArrayGetUBound(V_ARRAY(&phrases), 1, &upper)))
        count = upper + 1;
    return count;
}

// The number of phrases MatchWord("at") answers, or -1.
long CountPhrases(IPelrinEngine* engine, HRESULT& hr)
{
    BSTR word = SysAllocString(L"at");
    VARIANT phrases;
    VariantInit(&phrases);
    hr = engine->MatchWord(word, &phrases);
    SysFreeString(word);
    const long count = SUCCEEDED(hr) ? Count(phrases) : -1;
    VariantClear(&phrases);
    return count;
}

// The same through IDispatch: the method's DISPID by name, then Invoke.
long CountPhrasesLateBound(IPelrinEngine* engine, HRESULT& hr)
{
    IDispatch* dispatch = nullptr;
    hr = engine->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    if (FAILED(hr))
        return -1;
    OLECHAR name[] = L"MatchWord";
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    VARIANT word;
    VariantInit(&word);
    V_VT(&word) = VT_BSTR;
    V_BSTR(&word) = SysAllocString(L"at");
    DISPPARAMS arguments = {&word, nullptr, 1, 0};
    VARIANT phrases;
    VariantInit(&phrases);
    if (SUCCEEDED(hr))
        hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &arguments, &phrases, nullptr, nullptr);
    const long count = SUCCEEDED(hr) ? Count(phrases) : -1;
    VariantClear(&phrases);
    VariantClear(&word);
    dispatch->Release();
    return count;
}

void CreateAndAsk(const char* how, const CLSID& clsid, HRESULT lookup, bool lateBound = false)
{
    IPelrinEngine* engine = nullptr;
    HRESULT hr = lookup;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPelrinEngine, reinterpret_cast<void**>(&engine));
    long count = -1;
    if (SUCCEEDED(hr)) {
        count = lateBound ? CountPhrasesLateBound(engine, hr) : CountPhrases(engine, hr);
        engine->Release();
    }
    Report(how, hr, count);
}

// Runs `work` on a new thread of the multithreaded apartment.
template <typename Work>
std::thread InMultithreadedApartment(Work work)
{
    return std::thread([work] {
        if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
            work();
            CoUninitialize();
        }
    });
}

void CreateAndAskFromTheMultithreadedApartment()
{
    InMultithreadedApartment([] {
        IPelrinEngine* engine = nullptr;
        HRESULT hr = CoCreateInstance(CLSID_PelrinEngine, nullptr, CLSCTX_INPROC_SERVER, IID_IPelrinEngine,
                                      reinterpret_cast<void**>(&engine));
        long counts[2] = {-1, -1};
        if (SUCCEEDED(hr)) {
            HRESULT other = E_FAIL;
            std::thread second = InMultithreadedApartment([&] { counts[1] = CountPhrases(engine, other); });
            counts[0] = CountPhrases(engine, hr);
            second.join();
            if (SUCCEEDED(hr))
                hr = other;
            engine->Release();
        }
        std::printf("mta: 0x%08lx %ld %ld\n", static_cast<unsigned long>(hr), counts[0], counts[1]);
    }).join();
}

} // namespace

int main()
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    CreateAndAsk("clsid", CLSID_PelrinEngine, S_OK);
    CLSID fromProgId = CLSID_NULL;
    const HRESULT lookup = CLSIDFromProgID(L"Pelrin.PelrinEngine.1", &fromProgId);
    CreateAndAsk("progid", fromProgId, lookup);
    CreateAndAsk("dispatch", fromProgId, lookup, true);
    CreateAndAskFromTheMultithreadedApartment();
    CoUninitialize();
    return 0;
}
