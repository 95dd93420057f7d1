// The engine object as a COM object: creation and its failures, interface
// identity and refusals, reference counting, aggregation, what each live
// object counts in the module, and what a client of the later version
// reaches when it meets this version's object.

#include "server/pelrin_engine.h"
#include "tests/server/com_test_objects.h"
#include "tests/server/engine_test_support.h"
#include "tests/support/allocation_failure.h"
#include "tests/support/scenario.h"
#include "tests/support/test_phrase_table.h"

#include <ocidl.h>
#include <objidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace pelrin {
namespace {

using test::Bstr;
using test::Ignored;
using test::LockCount;
using test::Match;
using test::NewEngine;
using test::OuterObject;
using test::RunScenarioCapturingDebugOutput;
using test::StandardTable;
using test::SweepAllocationFailures;
using test::Strings;
using test::TestPhraseTable;

void* const kGarbage = reinterpret_cast<void*>(0x1234);

TEST(EngineQueryInterface, OneIdentityForItsThreeInterfacesAndNoOther)
{
    const ComPtr<IPelrinEngine> engine = NewEngine(StandardTable());
    ASSERT_TRUE(engine);
    ComPtr<IUnknown> unknown;
    ComPtr<IDispatch> dispatch;
    ComPtr<IPelrinEngine> again;
    ASSERT_EQ(engine->QueryInterface(IID_IUnknown, unknown.addressofVoid()), S_OK);
    ASSERT_EQ(engine->QueryInterface(IID_IDispatch, dispatch.addressofVoid()), S_OK);
    ASSERT_EQ(engine->QueryInterface(IID_IPelrinEngine, again.addressofVoid()), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(engine.get()));
    EXPECT_EQ(static_cast<void*>(dispatch.get()), static_cast<void*>(engine.get()));
    EXPECT_EQ(again.get(), engine.get());

    // No persistence, connection, class-info, error-info or marshalling support.
    for (const IID* iid : {&IID_IPersist, &IID_IPersistStream, &IID_IPersistStreamInit,
                           &IID_IPersistPropertyBag, &IID_IConnectionPointContainer,
                           &IID_IProvideClassInfo, &IID_ISupportErrorInfo, &IID_IMarshal,
                           &IID_IClassFactory}) {
        void* out = kGarbage;
        EXPECT_EQ(engine->QueryInterface(*iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(engine->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

#if !PELRIN_TESTED_SETTINGS_METHODS
// The table of functions as a client built for the later version calls it
// under the same IID: after the thirteen slots this version has (IUnknown,
// IDispatch, six methods) come the two settings-file methods.
struct LaterClientTable {
    void* earlierSlots[13];
    HRESULT(STDMETHODCALLTYPE* SaveIgnoredPhrases)(IPelrinEngine* self);
    HRESULT(STDMETHODCALLTYPE* LoadIgnoredPhrases)(IPelrinEngine* self);
};

constexpr char kSettingsCallsBegin[] = "-- settings calls\n";
constexpr char kSettingsCallsEnd[] = "-- settings calls done\n";

// A client built for the later version calls its settings-file methods on
// this version's object. Exit codes tell which check failed; a crash on the
// calls shows as an exception code.
PELRIN_SCENARIO(engine_later_client_calls_settings_methods)
{
    ComPtr<IPelrinEngine> engine;
    if (CreatePelrinEngine(nullptr, IID_IPelrinEngine, engine.addressofVoid(), StandardTable()) != S_OK)
        return 1;
    LONG ok = 0;
    if (engine->AddIgnoredPhrase(Bstr(L"Apple pie").get(), &ok) != S_OK)
        return 2;
    const LaterClientTable* table = nullptr;
    std::memcpy(&table, engine.get(), sizeof table);
    OutputDebugStringA(kSettingsCallsBegin);
    const HRESULT saved = table->SaveIgnoredPhrases(engine.get());
    const HRESULT loaded = table->LoadIgnoredPhrases(engine.get());
    OutputDebugStringA(kSettingsCallsEnd);
    std::printf("SaveIgnoredPhrases hr=0x%08lX, LoadIgnoredPhrases hr=0x%08lX\n",
                static_cast<unsigned long>(saved), static_cast<unsigned long>(loaded));
    std::fflush(stdout);
    if (saved != E_NOTIMPL || loaded != E_NOTIMPL)
        return 3;
    if (Ignored(engine.get()) != Strings{{L"Apple pie"}})
        return 4;
    if (Match(engine.get(), L"apple") != Strings{{L"apple crumble"}})
        return 5;
    return 0;
}

TEST(EngineVersions, ALaterClientsSettingsCallsAnswerENotImplAndChangeNothing)
{
    const auto run = RunScenarioCapturingDebugOutput("engine_later_client_calls_settings_methods");
    EXPECT_EQ(run.exitCode, 0);
    // The two calls send nothing.
    const auto& lines = run.debugLines;
    const auto begin = std::find(lines.begin(), lines.end(), kSettingsCallsBegin);
    const auto after = begin + std::min<std::ptrdiff_t>(2, lines.end() - begin);
    EXPECT_EQ(std::vector<std::string>(begin, after),
              (std::vector<std::string>{kSettingsCallsBegin, kSettingsCallsEnd}));
}
#endif

TEST(EngineReferenceCount, AddRefAndReleaseAnswerTheNewCount)
{
    IPelrinEngine* engine = nullptr;
    ASSERT_EQ(CreatePelrinEngine(nullptr, IID_IPelrinEngine, reinterpret_cast<void**>(&engine),
                                 StandardTable()),
              S_OK);
    EXPECT_EQ(engine->AddRef(), 2u);
    EXPECT_EQ(engine->AddRef(), 3u);
    EXPECT_EQ(engine->Release(), 2u);
    EXPECT_EQ(engine->Release(), 1u);
    const long locks = LockCount();
    EXPECT_EQ(engine->Release(), 0u);
    EXPECT_EQ(LockCount(), locks - 1);
}

TEST(EngineCreation, EveryLiveObjectCountsInTheLockAndTypeInfoCounts)
{
    const long locks = LockCount();
    {
        const ComPtr<IPelrinEngine> first = NewEngine(StandardTable());
        const ComPtr<IPelrinEngine> second = NewEngine();
        EXPECT_EQ(LockCount(), locks + 2);
    }
    EXPECT_EQ(LockCount(), locks);
}

TEST(EngineCreation, FailuresLeaveNoObjectAndTheCountsUnchanged)
{
    const long locks = LockCount();
    void* out = kGarbage;

    EXPECT_EQ(CreatePelrinEngine(nullptr, IID_IPelrinEngine, nullptr), E_POINTER);

    const TestPhraseTable caseDuplicate{{"Apple pie"}, {"Pear tart"}, {"apple PIE"}};
    EXPECT_EQ(CreatePelrinEngine(nullptr, IID_IPelrinEngine, &out, caseDuplicate.get()),
              E_UNEXPECTED);
    EXPECT_EQ(out, nullptr);

    out = kGarbage;
    const TestPhraseTable notAscii{{"ok"}, {"\xC4pfel"}};
    EXPECT_EQ(CreatePelrinEngine(nullptr, IID_IPelrinEngine, &out, notAscii.get()), E_UNEXPECTED);
    EXPECT_EQ(out, nullptr);

    if constexpr (test::kExpected.tableInResources) {
        out = kGarbage;
        TestPhraseTable missingGroup{{"ok"}};
        missingGroup.SetCount(2);
        EXPECT_EQ(CreatePelrinEngine(nullptr, IID_IPelrinEngine, &out, missingGroup.get()), E_UNEXPECTED);
        EXPECT_EQ(out, nullptr);
    }

    // Constructed, but the requested interface is not offered.
    out = kGarbage;
    EXPECT_EQ(CreatePelrinEngine(nullptr, IID_IPersist, &out, StandardTable()), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    EXPECT_EQ(LockCount(), locks);
}

TEST(EngineCreation, RunningOutOfMemoryAnywhereGivesEOutOfMemoryAndNoObject)
{
    const long locks = LockCount();
    // Every allocation of the object and its store, the pool's chunks included.
    void* out = kGarbage;
    SweepAllocationFailures([&] {
                                out = kGarbage;
                                return CreatePelrinEngine(nullptr, IID_IPelrinEngine, &out);
                            },
                            [&] {
                                EXPECT_EQ(out, nullptr);
                                EXPECT_EQ(LockCount(), locks);
                            });
    ASSERT_NE(out, nullptr);
    {
        const auto engine = ComPtr<IPelrinEngine>::Attach(static_cast<IPelrinEngine*>(out));
        EXPECT_EQ(Match(engine.get(), L"with")->size(), 2u);
    }
    EXPECT_EQ(LockCount(), locks);
}

TEST(EngineCreation, EachObjectHasItsOwnStore)
{
    const ComPtr<IPelrinEngine> first = NewEngine(StandardTable());
    const ComPtr<IPelrinEngine> second = NewEngine(StandardTable());
    LONG ok = 0;
    ASSERT_EQ(first->AddIgnoredPhrase(Bstr(L"Apple pie").get(), &ok), S_OK);
    EXPECT_EQ(Match(first.get(), L"apple"), (Strings{{L"apple crumble"}}));
    EXPECT_EQ(Match(second.get(), L"apple"), (Strings{{L"apple crumble", L"Apple pie"}}));
}

TEST(EngineAggregation, OnlyIUnknownMayBeAskedForWithAnOuterObject)
{
    OuterObject outer;
    const long locks = LockCount();
    void* out = kGarbage;
    EXPECT_EQ(CreatePelrinEngine(&outer, IID_IPelrinEngine, &out, StandardTable()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    out = kGarbage;
    EXPECT_EQ(CreatePelrinEngine(&outer, IID_IDispatch, &out, StandardTable()), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(LockCount(), locks);
    EXPECT_EQ(outer.m_refCount, 1);
}

TEST(EngineAggregation, TheAggregatedEngineDelegatesItsIUnknownToTheOuterObject)
{
    OuterObject outer;
    const long locks = LockCount();
    ASSERT_EQ(CreatePelrinEngine(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.m_inner),
                                 StandardTable()),
              S_OK);
    ASSERT_NE(outer.m_inner, nullptr);
    EXPECT_NE(outer.m_inner, static_cast<IUnknown*>(&outer));
    EXPECT_EQ(LockCount(), locks + 1);
    EXPECT_EQ(outer.m_refCount, 1); // the inner unknown's reference is its own

    IPelrinEngine* engine = nullptr;
    ASSERT_EQ(outer.m_inner->QueryInterface(IID_IPelrinEngine, reinterpret_cast<void**>(&engine)), S_OK);
    EXPECT_EQ(outer.m_refCount, 2); // interfaces of the inner object count on the outer

    // The engine's IUnknown is the outer object's.
    IUnknown* identity = nullptr;
    ASSERT_EQ(engine->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
    identity->Release();
    void* refused = kGarbage;
    EXPECT_EQ(engine->QueryInterface(IID_IPersist, &refused), E_NOINTERFACE);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(outer.m_delegatedQueries, 1);
    EXPECT_EQ(engine->AddRef(), 3u);
    EXPECT_EQ(engine->Release(), 2u);

    EXPECT_EQ(Match(engine, L"apple"), (Strings{{L"apple crumble", L"Apple pie"}}));

    engine->Release();
    EXPECT_EQ(outer.m_refCount, 1);
    EXPECT_EQ(outer.m_inner->Release(), 0u);
    outer.m_inner = nullptr;
    EXPECT_EQ(LockCount(), locks);
}

TEST(EngineAggregation, AFailedConstructionDestroysTheWrapper)
{
    OuterObject outer;
    const long locks = LockCount();
    const TestPhraseTable caseDuplicate{{"Apple pie"}, {"APPLE PIE"}};
    void* out = kGarbage;
    EXPECT_EQ(CreatePelrinEngine(&outer, IID_IUnknown, &out, caseDuplicate.get()), E_UNEXPECTED);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(LockCount(), locks);
    EXPECT_EQ(outer.m_refCount, 1);
}

} // namespace
} // namespace pelrin
