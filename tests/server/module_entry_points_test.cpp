// The module's entry points as a client process meets them: PELRIN.DLL loaded
// with LoadLibrary, its exports called through GetProcAddress. The export
// table, the cached class factory, the lock count that DllCanUnloadNow
// reports, and the same under many apartment threads at once.

#include "server/pelrin.h"
#include "tests/server/com_test_objects.h"
#include "tests/server/pelrin_dll_exports.h"

#include <objbase.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace pelrin {
namespace {

using test::OuterObject;
using test::PelrinDllExports;

void* const kGarbage = reinterpret_cast<void*>(0x1234);

class EntryPointsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dll.Loaded());
        ASSERT_EQ(m_dll.CanUnloadNow(), S_OK) << "the DLL is held by something before the test";
    }

    ComPtr<IClassFactory> Factory()
    {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(m_dll.GetClassObject(CLSID_PelrinEngine, IID_IClassFactory, factory.addressofVoid()), S_OK);
        return factory;
    }

    const PelrinDllExports m_dll;
};

TEST(PelrinDllExportTable, TheFourEntryPointsByNameAndAtOrdinalsOneToFour)
{
    const PelrinDllExports dll;
    ASSERT_TRUE(dll.Loaded());
    using Any = void (*)();
    const char* const names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                 "DllUnregisterServer"};
    for (WORD ordinal = 1; ordinal <= 4; ++ordinal) {
        const Any byName = dll.Export<Any>(names[ordinal - 1]);
        EXPECT_NE(byName, nullptr) << names[ordinal - 1];
        EXPECT_EQ(dll.Export<Any>(MAKEINTRESOURCEA(ordinal)), byName) << "ordinal " << ordinal;
    }
    EXPECT_EQ(dll.Export<Any>(MAKEINTRESOURCEA(5)), nullptr);
    EXPECT_EQ(dll.Export<Any>("DllGetClassObject@12"), nullptr);
    EXPECT_EQ(dll.Export<Any>("_DllGetClassObject@12"), nullptr);
    EXPECT_EQ(dll.Export<Any>("DllMain"), nullptr);
}

TEST_F(EntryPointsTest, EveryRequestGetsTheOneCachedFactory)
{
    ComPtr<IClassFactory> first = Factory();
    ASSERT_TRUE(first);
    ComPtr<IClassFactory> second = Factory();
    ComPtr<IUnknown> asUnknown;
    ASSERT_EQ(m_dll.GetClassObject(CLSID_PelrinEngine, IID_IUnknown, asUnknown.addressofVoid()), S_OK);
    EXPECT_EQ(second.get(), first.get());
    EXPECT_EQ(static_cast<void*>(asUnknown.get()), static_cast<void*>(first.get()));
    EXPECT_EQ(m_dll.CanUnloadNow(), S_FALSE);

    // Released by the client, the factory stays cached: the same object
    // comes back, and the library is free to go in between.
    const void* const cached = first.get();
    first.reset();
    second.reset();
    asUnknown.reset();
    EXPECT_EQ(m_dll.CanUnloadNow(), S_OK);
    ComPtr<IClassFactory> again = Factory();
    EXPECT_EQ(static_cast<const void*>(again.get()), cached);
    again.reset();
    EXPECT_EQ(m_dll.CanUnloadNow(), S_OK);
}

TEST_F(EntryPointsTest, GetClassObjectRefusals)
{
    EXPECT_EQ(m_dll.GetClassObject(CLSID_PelrinEngine, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(m_dll.GetClassObject(CLSID_NULL, IID_IClassFactory, nullptr), E_POINTER);

    // All 16 bytes of the CLSID count.
    CLSID lastByte = CLSID_PelrinEngine;
    lastByte.Data4[7] ^= 1;
    CLSID firstByte = CLSID_PelrinEngine;
    firstByte.Data1 ^= 1;
    const CLSID* const notServed[] = {&CLSID_NULL, &IID_IPelrinEngine, &LIBID_PELRINLib, &lastByte, &firstByte};
    for (const CLSID* clsid : notServed) {
        void* out = kGarbage;
        EXPECT_EQ(m_dll.GetClassObject(*clsid, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(out, nullptr);
    }

    // The class is known, the interface is not one of the factory's.
    for (const IID* iid : {&IID_IClassFactory2, &IID_IDispatch, &IID_IPelrinEngine, &IID_IMarshal}) {
        void* out = kGarbage;
        EXPECT_EQ(m_dll.GetClassObject(CLSID_PelrinEngine, *iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(m_dll.CanUnloadNow(), S_OK);
}

TEST_F(EntryPointsTest, FactoryAnswersIUnknownAndIClassFactoryOnly)
{
    const ComPtr<IClassFactory> factory = Factory();
    ASSERT_TRUE(factory);
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(factory->QueryInterface(IID_IUnknown, unknown.addressofVoid()), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(factory.get()));
    for (const IID* iid : {&IID_IClassFactory2, &IID_IDispatch, &IID_IPelrinEngine, &IID_IMarshal,
                           &IID_IExternalConnection, &IID_IPersist}) {
        void* out = kGarbage;
        EXPECT_EQ(factory->QueryInterface(*iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(factory->QueryInterface(IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(EntryPointsTest, ClientReferencesToTheFactoryLockTheLibrary)
{
    IClassFactory* factory = nullptr;
    ASSERT_EQ(m_dll.GetClassObject(CLSID_PelrinEngine, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    // The cache holds the first reference, the client the second.
    EXPECT_EQ(factory->AddRef(), 3u);
    EXPECT_EQ(m_dll.CanUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->Release(), 2u);
    EXPECT_EQ(m_dll.CanUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(m_dll.CanUnloadNow(), S_OK);
}

TEST_F(EntryPointsTest, LiveObjectsAndServerLocksKeepTheLibraryLoaded)
{
    ComPtr<IClassFactory> factory = Factory();
    ASSERT_TRUE(factory);
    ComPtr<IPelrinEngine> engine;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPelrinEngine, engine.addressofVoid()), S_OK);
    factory.reset();
    EXPECT_EQ(m_dll.CanUnloadNow(), S_FALSE) << "an engine object is alive";
    engine.reset();
    EXPECT_EQ(m_dll.CanUnloadNow(), S_OK);

    factory = Factory();
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(m_dll.CanUnloadNow(), S_FALSE) << "two server locks";
    factory = Factory();
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.reset();
    EXPECT_EQ(m_dll.CanUnloadNow(), S_FALSE) << "one server lock";
    factory = Factory();
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.reset();
    EXPECT_EQ(m_dll.CanUnloadNow(), S_OK);
}

TEST_F(EntryPointsTest, CreateInstanceArgumentsAndAggregation)
{
    ComPtr<IClassFactory> factory = Factory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPelrinEngine, nullptr), E_POINTER);

    // Every interface of the object can be asked for without an outer object.
    for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &IID_IPelrinEngine}) {
        ComPtr<IUnknown> object;
        EXPECT_EQ(factory->CreateInstance(nullptr, *iid, object.addressofVoid()), S_OK);
        EXPECT_TRUE(object);
    }
    void* out = kGarbage;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersist, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    // An outer object may ask for the inner IUnknown only.
    OuterObject outer;
    for (const IID* iid : {&IID_IDispatch, &IID_IPelrinEngine, &IID_IClassFactory}) {
        out = kGarbage;
        EXPECT_EQ(factory->CreateInstance(&outer, *iid, &out), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(out, nullptr);
    }
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.m_inner)), S_OK);
    ASSERT_NE(outer.m_inner, nullptr);
    ComPtr<IPelrinEngine> engine;
    ASSERT_EQ(outer.QueryInterface(IID_IPelrinEngine, engine.addressofVoid()), S_OK);
    EXPECT_EQ(outer.m_refCount, 2) << "the engine's references belong to the outer object";
    ComPtr<IUnknown> identity;
    ASSERT_EQ(engine->QueryInterface(IID_IUnknown, identity.addressofVoid()), S_OK);
    EXPECT_EQ(identity.get(), static_cast<IUnknown*>(&outer));
    identity.reset();
    engine.reset();
    EXPECT_EQ(outer.m_refCount, 1);
    factory.reset();
    EXPECT_EQ(m_dll.CanUnloadNow(), S_FALSE) << "the inner object is alive";
    outer.m_inner->Release();
    outer.m_inner = nullptr;
    EXPECT_EQ(m_dll.CanUnloadNow(), S_OK) << "failed and finished creations leave no lock behind";
}

// Apartment threads create, use and release engine objects while other
// threads fetch the factory and ask whether the library may go.
TEST_F(EntryPointsTest, ManyApartmentThreadsAtOnce)
{
    constexpr int kCreators = 8;
    constexpr int kCyclesEach = 60;
    constexpr int kQueriers = 2;

    std::atomic<void*> theFactory{nullptr};
    std::atomic<int> creatorsLeft{kCreators};
    std::atomic<int> failures{0};
    std::atomic<long> queries{0};
    const auto fail = [&failures] { failures.fetch_add(1); };
    // Every factory handed out is the one cached object.
    const auto sameFactory = [&](void* factory) {
        void* expected = nullptr;
        if (!theFactory.compare_exchange_strong(expected, factory) && expected != factory)
            fail();
    };

    std::vector<std::thread> threads;
    for (int t = 0; t < kCreators; ++t) {
        threads.emplace_back([&] {
            if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
                fail();
            const UniqueBstr word(SysAllocString(L"with"));
            for (int i = 0; i < kCyclesEach; ++i) {
                ComPtr<IClassFactory> factory;
                if (m_dll.GetClassObject(CLSID_PelrinEngine, IID_IClassFactory, factory.addressofVoid()) != S_OK) {
                    fail();
                    continue;
                }
                sameFactory(factory.get());
                ComPtr<IPelrinEngine> engine;
                if (factory->CreateInstance(nullptr, IID_IPelrinEngine, engine.addressofVoid()) != S_OK) {
                    fail();
                    continue;
                }
                factory.reset();
                UniqueVariant phrases;
                if (engine->MatchWord(word.get(), phrases.addressof()) != S_OK ||
                    V_VT(&phrases.get()) != (VT_ARRAY | VT_VARIANT))
                    fail();
                if (m_dll.CanUnloadNow() != S_FALSE) // this thread holds an object
                    fail();
            }
            CoUninitialize();
            creatorsLeft.fetch_sub(1);
        });
    }
    for (int t = 0; t < kQueriers; ++t) {
        threads.emplace_back([&] {
            while (creatorsLeft.load() > 0) {
                ComPtr<IUnknown> factory;
                if (m_dll.GetClassObject(CLSID_PelrinEngine, IID_IUnknown, factory.addressofVoid()) != S_OK) {
                    fail();
                    continue;
                }
                sameFactory(factory.get());
                if (m_dll.CanUnloadNow() != S_FALSE) // this thread holds the factory
                    fail();
                factory.reset();
                const HRESULT any = m_dll.CanUnloadNow();
                if (any != S_OK && any != S_FALSE)
                    fail();
                queries.fetch_add(1);
                std::this_thread::yield();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(queries.load(), 0);
    EXPECT_EQ(m_dll.CanUnloadNow(), S_OK) << "the lock count is back to 0";
}

} // namespace
} // namespace pelrin
