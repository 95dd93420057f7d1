// A long stress run of PELRIN.DLL through its real exports, for the figures of
// the closing note (not a test). Run by hand, with no debugger attached:
//   build/win64/wine-run build/win64/bench/server_stress.exe [cycles] [threaded cycles]
// (the x86 DLL: the same under build/win32).
// 1. `cycles` (100,000) create/release cycles on one thread, private bytes
//    and handle count read after a warm-up and at the end.
// 2. 8 apartment threads creating, calling and releasing engine objects
//    (`threaded cycles` each, 2,500) while 2 threads fetch the factory and
//    ask DllCanUnloadNow; then the lock count must be back to 0.
// Exits 0 when nothing failed, nothing grew and the library may unload.

#include "server/pelrin.h"
#include "tests/server/pelrin_dll_exports.h"

#include <objbase.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using pelrin::ComPtr;
using pelrin::UniqueBstr;
using pelrin::UniqueVariant;
using pelrin::test::PelrinDllExports;

struct Usage {
    double privateKb = 0;
    double workingSetKb = 0;
    DWORD handles = 0;
};

// Private bytes: the committed private memory of the process. Wine reports no
// PrivateUsage, so it is summed from the address space itself.
double PrivateKb()
{
    double bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr;
         VirtualQuery(address, &region, sizeof region) == sizeof region && region.RegionSize > 0;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            bytes += static_cast<double>(region.RegionSize);
    }
    return bytes / 1024.0;
}

// Wine answers GetProcessHandleCount with 0: count the handle values that
// name an open handle instead.
DWORD HandleCount()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0)
        return count;
    for (std::uintptr_t value = 4; value < 0x8000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

Usage Measure()
{
    Usage usage;
    usage.privateKb = PrivateKb();
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        usage.workingSetKb = static_cast<double>(counters.WorkingSetSize) / 1024.0;
    usage.handles = HandleCount();
    return usage;
}

void Print(const char* when, const Usage& usage)
{
    std::printf("  %-28s private bytes %10.0f KiB, working set %10.0f KiB, handles %5lu\n", when, usage.privateKb,
                usage.workingSetKb, static_cast<unsigned long>(usage.handles));
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// One creation and release through the exports; false on any failure.
bool CreateAndRelease(const PelrinDllExports& dll)
{
    ComPtr<IClassFactory> factory;
    if (dll.GetClassObject(CLSID_PelrinEngine, IID_IClassFactory, factory.addressofVoid()) != S_OK)
        return false;
    ComPtr<IPelrinEngine> engine;
    return factory->CreateInstance(nullptr, IID_IPelrinEngine, engine.addressofVoid()) == S_OK;
}

int SingleThreadCycles(const PelrinDllExports& dll, long cycles)
{
    int failures = 0;
    std::printf("%ld create/release cycles on one thread\n", cycles);
    // The heap and the runtime settle during the first cycles.
    for (int i = 0; i < 1000; ++i)
        failures += CreateAndRelease(dll) ? 0 : 1;
    const Usage before = Measure();
    Print("after 1,000 warm-up cycles:", before);
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < cycles; ++i) {
        failures += CreateAndRelease(dll) ? 0 : 1;
        if ((i + 1) % 20000 == 0) {
            char label[64];
            std::snprintf(label, sizeof label, "after %ld cycles:", i + 1);
            Print(label, Measure());
        }
    }
    const double seconds = Seconds(start);
    const Usage after = Measure();
    Print("at the end:", after);
    const double growthKb = after.privateKb - before.privateKb;
    const long handleGrowth = static_cast<long>(after.handles) - static_cast<long>(before.handles);
    std::printf("  %.1f s, %.0f us per cycle; growth: private bytes %+.0f KiB, handles %+ld; failures %d\n",
                seconds, seconds * 1e6 / static_cast<double>(cycles), growthKb, handleGrowth, failures);
    // A leak of even 16 bytes a cycle would show as 1.5 MiB.
    const bool grew = growthKb > 512 || handleGrowth > 0;
    if (grew)
        std::printf("  GROWTH\n");
    return failures + (grew ? 1 : 0);
}

int ThreadedRun(const PelrinDllExports& dll, int cyclesEach, int round)
{
    constexpr int kCreators = 8;
    constexpr int kQueriers = 2;
    std::printf("round %d: %d apartment threads x %d create/call/release cycles, %d threads querying the module\n",
                round, kCreators, cyclesEach, kQueriers);
    const Usage before = Measure();
    Print("before:", before);
    std::atomic<int> failures{0};
    std::atomic<int> creatorsLeft{kCreators};
    std::atomic<long> queries{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < kCreators; ++t) {
        threads.emplace_back([&] {
            if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
                failures.fetch_add(1);
            const UniqueBstr word(SysAllocString(L"in"));
            for (int i = 0; i < cyclesEach; ++i) {
                ComPtr<IClassFactory> factory;
                ComPtr<IPelrinEngine> engine;
                UniqueVariant phrases;
                if (dll.GetClassObject(CLSID_PelrinEngine, IID_IClassFactory, factory.addressofVoid()) != S_OK ||
                    factory->CreateInstance(nullptr, IID_IPelrinEngine, engine.addressofVoid()) != S_OK ||
                    engine->MatchWord(word.get(), phrases.addressof()) != S_OK || dll.CanUnloadNow() != S_FALSE)
                    failures.fetch_add(1);
            }
            CoUninitialize();
            creatorsLeft.fetch_sub(1);
        });
    }
    for (int t = 0; t < kQueriers; ++t) {
        threads.emplace_back([&] {
            while (creatorsLeft.load() > 0) {
                ComPtr<IUnknown> factory;
                if (dll.GetClassObject(CLSID_PelrinEngine, IID_IUnknown, factory.addressofVoid()) != S_OK ||
                    dll.CanUnloadNow() != S_FALSE)
                    failures.fetch_add(1);
                factory.reset();
                dll.CanUnloadNow();
                queries.fetch_add(1);
                std::this_thread::yield();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    const double seconds = Seconds(start);
    const Usage after = Measure();
    Print("after:", after);
    const HRESULT canUnload = dll.CanUnloadNow();
    std::printf("  %.1f s, %d objects, %ld module queries, failures %d; DllCanUnloadNow: %s\n", seconds,
                kCreators * cyclesEach, queries.load(), failures.load(),
                canUnload == S_OK ? "S_OK (lock count 0)" : "S_FALSE (still locked)");
    return failures.load() + (canUnload == S_OK ? 0 : 1);
}

} // namespace

int main(int argc, char** argv)
{
    const long cycles = argc > 1 ? std::atol(argv[1]) : 100000;
    const int threadedCycles = argc > 2 ? std::atoi(argv[2]) : 2500;
    const PelrinDllExports dll;
    if (!dll.Loaded()) {
        std::printf("cannot load %ls\n", pelrin::test::BuiltDllPath().c_str());
        return 2;
    }
    int failures = SingleThreadCycles(dll, cycles);
    // The first round also sets up what threads cost the runtime (stacks,
    // per-thread heaps, the thread library's own handles); the second must
    // add nothing to it.
    failures += ThreadedRun(dll, threadedCycles, 1);
    const Usage first = Measure();
    failures += ThreadedRun(dll, threadedCycles, 2);
    const Usage second = Measure();
    const double growthKb = second.privateKb - first.privateKb;
    const long handleGrowth = static_cast<long>(second.handles) - static_cast<long>(first.handles);
    std::printf("growth from round 1 to round 2: private bytes %+.0f KiB, handles %+ld\n", growthKb, handleGrowth);
    if (growthKb > 512 || handleGrowth > 0) {
        std::printf("  GROWTH\n");
        ++failures;
    }
    std::printf(failures == 0 ? "ok\n" : "FAILED\n");
    return failures == 0 ? 0 : 1;
}
