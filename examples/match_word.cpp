// Prints the phrases that begin with a word, and each phrase's alternates,
// through the engine's early-bound interface.
//   match_word.exe [word]
//
// Build it in this folder against ..\include, which holds the header and the
// GUID definitions generated from pelrin.idl. With mingw-w64, one line
// (i686-w64-mingw32-g++ makes the 32-bit program; in an MSYS2 shell the
// compiler is plain g++):
//   x86_64-w64-mingw32-g++ -O2 -municode -static -I../include -o match_word.exe match_word.cpp ../include/pelrin_i.c -lole32 -loleaut32 -luuid
// -municode because the program starts at wmain, not main; -static puts the
// compiler's runtime into the program, which otherwise needs its DLLs
// (libstdc++-6.dll, libgcc_s_seh-1.dll or libgcc_s_dw2-1.dll, with some
// compilers libwinpthread-1.dll) beside it.
// With MSVC, in a developer command prompt of the program's bitness (/MT
// links the C runtime in):
//   cl /nologo /EHsc /MT /I..\include match_word.cpp ..\include\pelrin_i.c ole32.lib oleaut32.lib uuid.lib
//
// To run it, register the PELRIN.DLL of the program's bitness (regsvr32), or
// go registration-free: put PELRIN.DLL and Pelrin.Engine.manifest of that
// bitness (from ..\x64 or ..\x86) beside match_word.exe, with
// match_word.exe.manifest from this folder.

#include <windows.h>

#include <cstdio>

#include "pelrin.h"

namespace {

// Releases what a result holds when it goes out of scope.
struct Result {
    VARIANT value;
    Result() { VariantInit(&value); }
    ~Result() { VariantClear(&value); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
};

// Calls `print` for each string of a result: an array of VARIANTs holding
// BSTRs, or VT_NULL when there is none.
template <typename Print>
HRESULT ForEachString(const VARIANT& result, Print print)
{
    if (V_VT(&result) == VT_NULL)
        return S_OK;
    if (V_VT(&result) != (VT_ARRAY | VT_VARIANT))
        return E_UNEXPECTED;
    SAFEARRAY* array = V_ARRAY(&result);
    LONG lower = 0;
    LONG upper = -1;
    HRESULT hr = SafeArrayGetLBound(array, 1, &lower);
    if (SUCCEEDED(hr))
        hr = SafeArrayGetUBound(array, 1, &upper);
    for (LONG i = lower; SUCCEEDED(hr) && i <= upper; ++i) {
        VARIANT element;
        VariantInit(&element);
        hr = SafeArrayGetElement(array, &i, &element);
        if (SUCCEEDED(hr) && V_VT(&element) == VT_BSTR)
            print(V_BSTR(&element));
        VariantClear(&element);
    }
    return hr;
}

// The console shows UTF-8 here; phrases may hold any character.
void PrintLine(const char* prefix, const wchar_t* text, const char* suffix = "")
{
    char narrow[1024];
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    std::printf("%s%s%s\n", prefix, length > 0 ? narrow : "?", suffix);
}

int Run(IPelrinEngine* engine, const wchar_t* word)
{
    BSTR wordString = SysAllocString(word);
    Result phrases;
    HRESULT hr = engine->MatchWord(wordString, &phrases.value);
    SysFreeString(wordString);
    if (FAILED(hr)) {
        std::fprintf(stderr, "MatchWord failed: 0x%08lx\n", static_cast<unsigned long>(hr));
        return 1;
    }
    if (V_VT(&phrases.value) == VT_NULL) {
        PrintLine("No phrase begins with \"", word, "\".");
        return 0;
    }
    PrintLine("Phrases that begin with \"", word, "\":");
    hr = ForEachString(phrases.value, [engine](BSTR phrase) {
        PrintLine("  ", phrase);
        Result alternates;
        if (SUCCEEDED(engine->LookupAlternatePhrases(phrase, &alternates.value)))
            ForEachString(alternates.value, [](BSTR alternate) { PrintLine("      -> ", alternate); });
    });
    return SUCCEEDED(hr) ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const wchar_t* word = argc > 1 ? argv[1] : L"at";
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr))
        return 1;
    IPelrinEngine* engine = nullptr;
    hr = CoCreateInstance(CLSID_PelrinEngine, nullptr, CLSCTX_INPROC_SERVER, IID_IPelrinEngine,
                          reinterpret_cast<void**>(&engine));
    int status = 1;
    if (SUCCEEDED(hr)) {
        status = Run(engine, word);
        engine->Release();
    } else {
        std::fprintf(stderr, "Cannot create Pelrin.PelrinEngine.1 (0x%08lx): is PELRIN.DLL registered?\n",
                     static_cast<unsigned long>(hr));
    }
    CoUninitialize();
    return status;
}
