// Creates the engine by CLSID and by ProgID and asks it for the phrases of
// "at", printing each step's HRESULT: with the application manifest beside it
// (and PELRIN.DLL with its assembly manifest) it needs no registry entry;
// without it, creation fails as for any unregistered class.

#include "server/pelrin.h"

#include <objbase.h>

#include <cstdio>

namespace {

void Report(const char* how, HRESULT hr, long phrases)
{
    std::printf("%s: 0x%08lx %ld\n", how, static_cast<unsigned long>(hr), phrases);
}

// The number of phrases MatchWord("at") answers, or -1.
long CountPhrases(IPelrinEngine* engine, HRESULT& hr)
{
    BSTR word = SysAllocString(L"at");
    VARIANT phrases;
    VariantInit(&phrases);
    hr = engine->MatchWord(word, &phrases);
    SysFreeString(word);
    long count = -1;
    LONG upper = -1;
    if (SUCCEEDED(hr) && V_VT(&phrases) == (VT_ARRAY | VT_VARIANT) &&
        SUCCEEDED(SafeArrayGetUBound(V_ARRAY(&phrases), 1, &upper)))
        count = upper + 1;
    VariantClear(&phrases);
    return count;
}

void CreateAndAsk(const char* how, const CLSID& clsid, HRESULT lookup)
{
    IPelrinEngine* engine = nullptr;
    HRESULT hr = lookup;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPelrinEngine, reinterpret_cast<void**>(&engine));
    long count = -1;
    if (SUCCEEDED(hr)) {
        count = CountPhrases(engine, hr);
        engine->Release();
    }
    Report(how, hr, count);
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
    CoUninitialize();
    return 0;
}
