// Prints what engine calls cost, with and without the trace messages they
// send. Under Wine one OutputDebugStringA with nobody listening costs far more
// than the engine's own work, so each figure is also given with the measured
// cost of its messages taken off, and timed with the messages switched off.
// Run by hand, with no debugger attached:
//   build/win64/wine-run build/win64/bench/engine_benchmark.exe

#include "base/com_ptr.h"
#include "base/win_owners.h"
#include "bench/benchmark_clock_win.h"
#include "diag/trace.h"
#include "server/module.h"
#include "server/pelrin_engine.h"
#include "tests/server/built_dll_path.h"

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using pelrin::ComPtr;
using pelrin::test::BuiltDllPath;
using pelrin::test::Median;
using pelrin::test::NowNs;
using pelrin::UniqueBstr;
using pelrin::UniqueVariant;

// Nanoseconds per call of `call` over one round of `calls` calls.
double TimeRound(const std::function<void()>& call, int calls)
{
    const double start = NowNs();
    for (int i = 0; i < calls; ++i)
        call();
    return (NowNs() - start) / calls;
}

// A bare OutputDebugStringA of a typical message: what MatchWord sends on entry.
void BareTrace()
{
    OutputDebugStringA("CPelrinEngine::MatchWord-1, entering\n");
}

struct Figure {
    std::string what;
    int messages = 0;     // trace messages one call sends
    double total = 0;     // ns per call as shipped
    double bare = 0;      // ns per bare message, measured beside it
    double withoutTrace = 0; // total less messages x bare
    double traceOff = 0;  // ns per call with the messages switched off
};

// Times a call in rounds that interleave it with the bare message and with
// its messages switched off, so a busy machine weighs on all three alike;
// each figure is the median over the rounds.
Figure Measure(const std::string& what, int messages, const std::function<void()>& call, int calls)
{
    constexpr int kRounds = 15;
    std::vector<double> totals;
    std::vector<double> bares;
    std::vector<double> withoutTrace;
    std::vector<double> traceOff;
    call(); // warm up
    for (int round = 0; round < kRounds; ++round) {
        const double bare = TimeRound(BareTrace, calls);
        const double total = TimeRound(call, calls);
        // The library never sets level 0; this program links the engine
        // code itself and does so only to time the engine's own work.
        const std::int32_t level = pelrin::g_traceLevel.exchange(0);
        traceOff.push_back(TimeRound(call, calls));
        pelrin::g_traceLevel.store(level);
        totals.push_back(total);
        bares.push_back(bare);
        withoutTrace.push_back(total - messages * bare);
    }
    return {what, messages, Median(totals), Median(bares), Median(withoutTrace), Median(traceOff)};
}

void Print(const std::vector<Figure>& figures)
{
    std::printf("%-50s %9s %4s %9s %10s %9s %9s\n", "ns per call", "total", "msgs", "bare msg",
                "w/o trace", "vs trace", "trace off");
    for (const Figure& f : figures) {
        if (f.messages > 0)
            std::printf("%-50s %9.0f %4d %9.0f %10.0f %8.1f%% %9.0f\n", f.what.c_str(), f.total,
                        f.messages, f.bare, f.withoutTrace,
                        100.0 * f.withoutTrace / (f.messages * f.bare), f.traceOff);
        else
            std::printf("%-50s %9.0f %4s %9s %10s %9s %9.0f\n", f.what.c_str(), f.total, "-", "-",
                        "-", "-", f.traceOff);
    }
}

HRESULT InvokeWithOneString(IDispatch* dispatch, DISPID id, BSTR argument, VARIANT* result)
{
    VARIANTARG arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_BSTR;
    V_BSTR(&arg) = argument;
    DISPPARAMS params{&arg, nullptr, 1, 0};
    return dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result, nullptr, nullptr);
}

DISPID IdOf(IDispatch* dispatch, const wchar_t* name)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    return id;
}

int Run()
{
    if (IsDebuggerPresent())
        std::printf("warning: a debugger is attached; trace messages cost more than usual\n");
    pelrin::g_module.Init(nullptr, GetModuleHandleW(nullptr));
    ComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(BuiltDllPath().c_str(), REGKIND_REGISTER, library.addressof()))) {
        std::fprintf(stderr, "cannot register the type library of %ls\n", BuiltDllPath().c_str());
        return 1;
    }

    ComPtr<IPelrinEngine> engine;
    if (FAILED(pelrin::CreatePelrinEngine(nullptr, IID_IPelrinEngine, engine.addressofVoid())))
        return 1;
    const UniqueBstr word(SysAllocString(L"with"));
    const UniqueBstr phrase(SysAllocString(L"with regard to"));
    UniqueVariant result;
    const DISPID matchWord = IdOf(engine.get(), L"MatchWord");
    const DISPID lookup = IdOf(engine.get(), L"LookupAlternatePhrases");
    if (matchWord != 6 || lookup != 5)
        return 1;

    std::vector<Figure> figures;
    figures.push_back(Measure("OutputDebugStringA, 37 characters", 0, BareTrace, 2000));
    figures.push_back(Measure("engine creation (table load) and release", 2,
                              [] {
                                  IPelrinEngine* e = nullptr;
                                  pelrin::CreatePelrinEngine(nullptr, IID_IPelrinEngine,
                                                             reinterpret_cast<void**>(&e));
                                  e->Release();
                              },
                              300));
    figures.push_back(Measure("MatchWord(\"with\"), 2 phrases, vtable", 1,
                              [&] { engine->MatchWord(word.get(), result.addressof()); }, 2000));
    figures.push_back(Measure("MatchWord(\"with\"), 2 phrases, Invoke", 1,
                              [&] {
                                  InvokeWithOneString(engine.get(), matchWord, word.get(),
                                                      result.addressof());
                              },
                              2000));
    figures.push_back(
        Measure("LookupAlternatePhrases(\"with regard to\"), vtable", 2,
                [&] { engine->LookupAlternatePhrases(phrase.get(), result.addressof()); }, 2000));
    figures.push_back(Measure("LookupAlternatePhrases(\"with regard to\"), Invoke", 2,
                              [&] {
                                  InvokeWithOneString(engine.get(), lookup, phrase.get(),
                                                      result.addressof());
                              },
                              2000));

    // The baseline a script writer would otherwise use.
    CLSID dictionaryClass;
    ComPtr<IDispatch> dictionary;
    if (SUCCEEDED(CLSIDFromProgID(L"Scripting.Dictionary", &dictionaryClass)) &&
        SUCCEEDED(CoCreateInstance(dictionaryClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   dictionary.addressofVoid()))) {
        UniqueVariant ignored;
        VARIANTARG args[2];
        VariantInit(&args[0]);
        VariantInit(&args[1]);
        V_VT(&args[1]) = VT_BSTR; // the key: first argument, stored last
        V_BSTR(&args[1]) = word.get();
        V_VT(&args[0]) = VT_I4;
        V_I4(&args[0]) = 1;
        DISPPARAMS addParams{args, nullptr, 2, 0};
        dictionary->Invoke(IdOf(dictionary.get(), L"Add"), IID_NULL, 0, DISPATCH_METHOD, &addParams,
                           ignored.addressof(), nullptr, nullptr);
        const DISPID exists = IdOf(dictionary.get(), L"Exists");
        figures.push_back(Measure("Scripting.Dictionary Exists(\"with\"), Invoke", 0,
                                  [&] {
                                      InvokeWithOneString(dictionary.get(), exists, word.get(),
                                                          result.addressof());
                                  },
                                  2000));
    } else {
        std::printf("Scripting.Dictionary is not available\n");
    }

    Print(figures);
    std::printf("\nmsgs: trace messages per call; w/o trace: total less msgs x bare msg (the bare\n"
                "message timed in the same rounds); vs trace: that remainder as a share of the\n"
                "messages' cost; trace off: the call timed with its messages switched off.\n"
                "Medians of 15 interleaved rounds.\n");
    engine.reset();
    dictionary.reset();
    return 0;
}

} // namespace

int main()
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    const int status = Run();
    CoUninitialize();
    return status;
}
