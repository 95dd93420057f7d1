// IDispatch of the engine object, answered from the type library that
// PELRIN.DLL carries, registered in the test prefix by each test.

#include "server/pelrin_engine.h"
#include "server/registry/type_library_key.h"
#include "tests/ignored/app_data_scratch_win.h"
#include "tests/server/bitness.h"
#include "tests/server/engine_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelrin {
namespace {

using test::Bstr;
using test::NewEngine;
using test::ReadStrings;
using test::RegisterTypeLibrary;
using test::StandardTable;
using test::Strings;

const wchar_t* const kMethods[] = {L"LookupAlternatePhrases", L"MatchWord",
                                   L"GetIgnoredPhrases",      L"AddIgnoredPhrase",
                                   L"RemoveIgnoredPhrase",    L"ClearIgnoredPhrases",
                                   L"SaveIgnoredPhrases",     L"LoadIgnoredPhrases"};
// Version 1.0.0.1 offers the first six only.
constexpr std::size_t kOffered = test::kExpected.settingsFileMethods ? 8 : 6;

class EngineDispatch : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RegisterTypeLibrary(), S_OK); }
    // A test that unregistered the library leaves it registered again.
    void TearDown() override { EXPECT_EQ(RegisterTypeLibrary(), S_OK); }

    // The library's registration, with the locale-0 keys of DllRegisterServer
    // (the other bitness's too: Wine's lookup for locale 0 falls back to it).
    static HRESULT Unregister()
    {
        for (const SYSKIND platform : {SYS_WIN32, SYS_WIN64})
            RemoveNeutralLocaleFileKey(TLIBATTR{LIBID_PELRINLib, 0x0409, platform, 1, 0, 0});
        return UnRegisterTypeLib(LIBID_PELRINLib, 1, 0, 0x0409, test::kSysKind);
    }
};

DISPID IdOf(IDispatch* dispatch, const wchar_t* name, LCID lcid = 0)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    const HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, lcid, &id);
    return hr == S_OK ? id : DISPID_UNKNOWN;
}

struct Invoked {
    HRESULT hr = E_FAIL;
    UniqueVariant result;
    EXCEPINFO exception{};
    ~Invoked()
    {
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
};

// Invokes a method with string arguments, as a script would (locale 0).
void InvokeMethod(IDispatch* dispatch, DISPID id, const std::vector<BSTR>& arguments, Invoked& out)
{
    // DISPPARAMS hold the arguments last to first.
    std::vector<VARIANTARG> reversed(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        VariantInit(&reversed[i]);
        V_VT(&reversed[i]) = VT_BSTR;
        V_BSTR(&reversed[i]) = arguments[arguments.size() - 1 - i];
    }
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    UINT argumentError = 0;
    out.hr = dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, out.result.addressof(),
                              &out.exception, &argumentError);
}

TEST_F(EngineDispatch, NamesMapToTheDispidsFiveToTwelveInAnyLocale)
{
    const ComPtr<IPelrinEngine> engine = NewEngine(StandardTable());
    for (std::size_t i = 0; i < kOffered; ++i)
        EXPECT_EQ(IdOf(engine.get(), kMethods[i]), static_cast<DISPID>(5 + i)) << kMethods[i];
    EXPECT_EQ(IdOf(engine.get(), L"matchword"), 6);
    // Script engines pass locale 0; the library is registered under 1033.
    for (const LCID lcid : {LCID{0}, LCID{0x0400}, LCID{0x0407}, LCID{0x0409}, LCID{0x0800}})
        EXPECT_EQ(IdOf(engine.get(), kMethods[kOffered - 1], lcid), static_cast<DISPID>(4 + kOffered)) << lcid;

    // An unknown name fails as the type information itself answers it; so
    // do the methods a version does not offer.
    ComPtr<ITypeInfo> typeInfo;
    ASSERT_EQ(engine->GetTypeInfo(0, 0, typeInfo.addressof()), S_OK);
    std::vector<const wchar_t*> unknownNames{L"NoSuchMethod"};
    unknownNames.insert(unknownNames.end(), std::begin(kMethods) + kOffered, std::end(kMethods));
    for (const wchar_t* name : unknownNames) {
        LPOLESTR unknown[] = {const_cast<LPOLESTR>(name)};
        DISPID fromTypeInfo = 0;
        const HRESULT expectedCode = typeInfo->GetIDsOfNames(unknown, 1, &fromTypeInfo);
        EXPECT_TRUE(FAILED(expectedCode)) << name;
        DISPID fromEngine = 0;
        EXPECT_EQ(engine->GetIDsOfNames(IID_NULL, unknown, 1, 0, &fromEngine), expectedCode) << name;
        EXPECT_EQ(fromEngine, fromTypeInfo) << name;
    }
}

TEST_F(EngineDispatch, TypeInfoIsTheCachedOneAndCountIsOne)
{
    const ComPtr<IPelrinEngine> first = NewEngine(StandardTable());
    const ComPtr<IPelrinEngine> second = NewEngine(StandardTable());
    UINT count = 0;
    EXPECT_EQ(first->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(first->GetTypeInfoCount(nullptr), E_POINTER);
    EXPECT_EQ(first->GetTypeInfo(0, 0, nullptr), E_POINTER);
    ComPtr<ITypeInfo> a;
    ComPtr<ITypeInfo> b;
    ASSERT_EQ(first->GetTypeInfo(0, 0, a.addressof()), S_OK);
    ASSERT_EQ(second->GetTypeInfo(0, 0x0409, b.addressof()), S_OK);
    EXPECT_EQ(a.get(), b.get());
}

TEST_F(EngineDispatch, TheTypeLibraryDescribesTheDualInterfaceAndItsClass)
{
    const ComPtr<IPelrinEngine> engine = NewEngine(StandardTable());
    ComPtr<ITypeInfo> dispatchInfo;
    ASSERT_EQ(engine->GetTypeInfo(0, 0, dispatchInfo.addressof()), S_OK);
    ComPtr<ITypeLib> library;
    UINT index = 0;
    ASSERT_EQ(dispatchInfo->GetContainingTypeLib(library.addressof(), &index), S_OK);

    TLIBATTR libAttr{};
    ASSERT_EQ(TypeLibraryAttributes(library.get(), libAttr), S_OK);
    EXPECT_TRUE(IsEqualGUID(libAttr.guid, LIBID_PELRINLib));
    EXPECT_EQ(libAttr.lcid, 0x0409u);
    EXPECT_EQ(libAttr.syskind, test::kSysKind);
    EXPECT_EQ(libAttr.wMajorVerNum, 1);
    EXPECT_EQ(libAttr.wMinorVerNum, 0);

    const auto documentation = [](auto* owner, MEMBERID id) {
        UniqueBstr name;
        UniqueBstr doc;
        owner->GetDocumentation(id, name.addressof(), doc.addressof(), nullptr, nullptr);
        return std::wstring(name.get() ? name.get() : L"") + L"|" + (doc.get() ? doc.get() : L"");
    };
    const auto libraryDocumentation = [&](INT i) {
        UniqueBstr name;
        UniqueBstr doc;
        library->GetDocumentation(i, name.addressof(), doc.addressof(), nullptr, nullptr);
        return std::wstring(name.get() ? name.get() : L"") + L"|" + (doc.get() ? doc.get() : L"");
    };
    EXPECT_EQ(libraryDocumentation(-1), L"PELRINLib|Pelrin 1.0 Type Library");

    // The dispatch side of the dual interface.
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(dispatchInfo->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, IID_IPelrinEngine));
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    const WORD dual = TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE;
    EXPECT_EQ(attr->wTypeFlags & dual, dual);
    dispatchInfo->ReleaseTypeAttr(attr);
    EXPECT_EQ(documentation(dispatchInfo.get(), MEMBERID_NIL), L"IPelrinEngine|IPelrinEngine Interface");

    // The table-of-functions side: slots 7 to 14, DISPIDs 5 to 12 (1.0.0.1:
    // the first six), names and parameter attributes.
    HREFTYPE vtableRef = 0;
    ASSERT_EQ(dispatchInfo->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef), S_OK);
    ComPtr<ITypeInfo> vtableInfo;
    ASSERT_EQ(dispatchInfo->GetRefTypeInfo(vtableRef, vtableInfo.addressof()), S_OK);
    ASSERT_EQ(vtableInfo->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attr->wTypeFlags & (dual | TYPEFLAG_FOLEAUTOMATION), dual | TYPEFLAG_FOLEAUTOMATION);
    EXPECT_EQ(attr->cFuncs, static_cast<SHORT>(kOffered));
    vtableInfo->ReleaseTypeAttr(attr);

    const std::vector<std::vector<std::wstring>> names = {
        {L"LookupAlternatePhrases", L"phrase", L"altphrasearray"},
        {L"MatchWord", L"word", L"vStrArray"},
        {L"GetIgnoredPhrases", L"vStrArray"},
        {L"AddIgnoredPhrase", L"phrase", L"bOk"},
        {L"RemoveIgnoredPhrase", L"phrase", L"bOk"},
        {L"ClearIgnoredPhrases", L"bOk"},
        {L"SaveIgnoredPhrases"},
        {L"LoadIgnoredPhrases"},
    };
    const std::vector<VARTYPE> retvalTypes = {VT_VARIANT, VT_VARIANT, VT_VARIANT, VT_I4,
                                              VT_I4,      VT_I4,      VT_EMPTY,   VT_EMPTY};
    for (UINT i = 0; i < kOffered; ++i) {
        FUNCDESC* func = nullptr;
        ASSERT_EQ(vtableInfo->GetFuncDesc(i, &func), S_OK);
        EXPECT_EQ(func->memid, static_cast<MEMBERID>(5 + i));
        EXPECT_EQ(func->oVft, static_cast<SHORT>((7 + i) * sizeof(void*)));
        EXPECT_EQ(func->funckind, FUNC_PUREVIRTUAL);
        EXPECT_EQ(func->invkind, INVOKE_FUNC);
        EXPECT_EQ(func->callconv, CC_STDCALL);
        EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT);
        const auto params = static_cast<std::size_t>(func->cParams);
        EXPECT_EQ(params, names[i].size() - 1);
        for (std::size_t p = 0; p < params && p < names[i].size() - 1; ++p) {
            const bool last = p + 1 == params && retvalTypes[i] != VT_EMPTY;
            const USHORT paramFlags = func->lprgelemdescParam[p].paramdesc.wParamFlags;
            if (last) {
                EXPECT_EQ(paramFlags, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL) << i;
                EXPECT_EQ(func->lprgelemdescParam[p].tdesc.vt, VT_PTR);
                EXPECT_EQ(func->lprgelemdescParam[p].tdesc.lptdesc->vt, retvalTypes[i]);
            } else {
                EXPECT_EQ(paramFlags, PARAMFLAG_FIN) << i;
                EXPECT_EQ(func->lprgelemdescParam[p].tdesc.vt, VT_BSTR);
            }
        }
        BSTR got[4] = {};
        UINT count = 0;
        EXPECT_EQ(vtableInfo->GetNames(func->memid, got, 4, &count), S_OK);
        std::vector<std::wstring> gotNames;
        for (UINT n = 0; n < count; ++n) {
            gotNames.emplace_back(got[n]);
            SysFreeString(got[n]);
        }
        EXPECT_EQ(gotNames, names[i]);
        EXPECT_EQ(documentation(vtableInfo.get(), func->memid), names[i][0] + L"|method " + names[i][0]);
        vtableInfo->ReleaseFuncDesc(func);
    }

    // The class: creatable, with the interface as its one default interface.
    ComPtr<ITypeInfo> classInfo;
    ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_PelrinEngine, classInfo.addressof()), S_OK);
    ASSERT_EQ(classInfo->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(attr->cImplTypes, 1);
    classInfo->ReleaseTypeAttr(attr);
    INT implFlags = 0;
    EXPECT_EQ(classInfo->GetImplTypeFlags(0, &implFlags), S_OK);
    EXPECT_EQ(implFlags, IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE implRef = 0;
    ComPtr<ITypeInfo> implInfo;
    ASSERT_EQ(classInfo->GetRefTypeOfImplType(0, &implRef), S_OK);
    ASSERT_EQ(classInfo->GetRefTypeInfo(implRef, implInfo.addressof()), S_OK);
    ASSERT_EQ(implInfo->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, IID_IPelrinEngine));
    implInfo->ReleaseTypeAttr(attr);
    EXPECT_EQ(documentation(classInfo.get(), MEMBERID_NIL), L"PelrinEngine|PelrinEngine Class");
}

// The strings of a VARIANT answer, or the VARIANT's type for other answers.
std::wstring Describe(const VARIANT& value)
{
    if (V_VT(&value) == (VT_ARRAY | VT_VARIANT)) {
        std::wstring text = L"array:";
        const Strings strings = ReadStrings(value);
        for (const auto& s : strings.value_or(std::vector<std::wstring>{}))
            text += L"[" + s + L"]";
        return text;
    }
    return L"vt " + std::to_wstring(V_VT(&value));
}

TEST_F(EngineDispatch, InvokeAnswersAsTheDirectCallAndClearsTheErrorInfo)
{
    const test::AppDataRedirect appData(test::FreshScratchFolder("dispatch_as_direct"));
    const ComPtr<IPelrinEngine> direct = NewEngine(StandardTable());
    const ComPtr<IPelrinEngine> late = NewEngine(StandardTable());

    struct Step {
        const wchar_t* method;
        const wchar_t* argument; // null: none
    };
    std::vector<Step> steps = {
        {L"LookupAlternatePhrases", L"Apple pie"}, {L"LookupAlternatePhrases", L"nothing"},
        {L"MatchWord", L"apple"},                  {L"MatchWord", L"nothing"},
        {L"AddIgnoredPhrase", L"Apple pie"},       {L"AddIgnoredPhrase", L"_x"},
        {L"GetIgnoredPhrases", nullptr},           {L"MatchWord", L"apple"},
        {L"RemoveIgnoredPhrase", L"not listed"},   {L"AddIgnoredPhrase", L"apple crumble"},
        {L"MatchWord", L"APPLE"},                  {L"ClearIgnoredPhrases", nullptr},
        {L"GetIgnoredPhrases", nullptr},           {L"RemoveIgnoredPhrase", L"Apple pie"},
    };
    if (test::kExpected.settingsFileMethods)
        steps.insert(steps.end(), {{L"SaveIgnoredPhrases", nullptr}, {L"LoadIgnoredPhrases", nullptr}});
    for (const Step& step : steps) {
        const std::wstring method = step.method;
        const UniqueBstr argument = step.argument ? Bstr(step.argument) : UniqueBstr();
        const std::wstring where = method + L"(" + (step.argument ? step.argument : L"") + L")";

        // The direct call.
        UniqueVariant directResult;
        LONG ok = 0;
        HRESULT directHr = E_FAIL;
        if (method == L"LookupAlternatePhrases")
            directHr = direct->LookupAlternatePhrases(argument.get(), directResult.addressof());
        else if (method == L"MatchWord")
            directHr = direct->MatchWord(argument.get(), directResult.addressof());
        else if (method == L"GetIgnoredPhrases")
            directHr = direct->GetIgnoredPhrases(directResult.addressof());
        else if (method == L"AddIgnoredPhrase")
            directHr = direct->AddIgnoredPhrase(argument.get(), &ok);
        else if (method == L"RemoveIgnoredPhrase")
            directHr = direct->RemoveIgnoredPhrase(argument.get(), &ok);
        else if (method == L"ClearIgnoredPhrases")
            directHr = direct->ClearIgnoredPhrases(&ok);
#if PELRIN_TESTED_SETTINGS_METHODS
        else if (method == L"SaveIgnoredPhrases")
            directHr = direct->SaveIgnoredPhrases();
        else
            directHr = direct->LoadIgnoredPhrases();
#endif

        // The same through IDispatch, with a stale error object on the thread.
        ComPtr<ICreateErrorInfo> creator;
        ASSERT_EQ(CreateErrorInfo(creator.addressof()), S_OK);
        ComPtr<IErrorInfo> stale;
        ASSERT_EQ(creator->QueryInterface(IID_IErrorInfo, stale.addressofVoid()), S_OK);
        SetErrorInfo(0, stale.get());
        Invoked invoked;
        std::vector<BSTR> arguments;
        if (step.argument)
            arguments.push_back(argument.get());
        InvokeMethod(late.get(), IdOf(late.get(), step.method), arguments, invoked);
        ComPtr<IErrorInfo> left;
        EXPECT_EQ(GetErrorInfo(0, left.addressof()), S_FALSE) << where;

        if (SUCCEEDED(directHr)) {
            EXPECT_EQ(invoked.hr, directHr) << where;
            if (method == L"AddIgnoredPhrase" || method == L"RemoveIgnoredPhrase" ||
                method == L"ClearIgnoredPhrases")
                EXPECT_EQ(V_VT(&invoked.result.get()), VT_I4) << where; // bOk, never written
            else
                EXPECT_EQ(Describe(invoked.result.get()), Describe(directResult.get())) << where;
        } else {
            // A failed method reaches a dispatch caller as an exception
            // carrying the method's code.
            EXPECT_EQ(invoked.hr, DISP_E_EXCEPTION) << where;
            EXPECT_EQ(invoked.exception.scode, directHr) << where;
        }
    }
}

TEST_F(EngineDispatch, WithoutTheRegisteredLibraryOnlyTheDispatchCallsFail)
{
    ASSERT_EQ(Unregister(), S_OK);
    ComPtr<ITypeLib> unused;
    const HRESULT notRegistered = LoadRegTypeLib(LIBID_PELRINLib, 1, 0, 0, unused.addressof());
    ASSERT_TRUE(FAILED(notRegistered));

    const ComPtr<IPelrinEngine> engine = NewEngine(StandardTable());
    ComPtr<ITypeInfo> typeInfo;
    EXPECT_EQ(engine->GetTypeInfo(0, 0, typeInfo.addressof()), notRegistered);
    EXPECT_EQ(IdOf(engine.get(), L"MatchWord"), DISPID_UNKNOWN);
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"MatchWord")};
    DISPID id = 0;
    EXPECT_EQ(engine->GetIDsOfNames(IID_NULL, names, 1, 0x0409, &id), notRegistered);
    Invoked invoked;
    const UniqueBstr word = Bstr(L"apple");
    InvokeMethod(engine.get(), 6, {word.get()}, invoked);
    EXPECT_EQ(invoked.hr, notRegistered);

    EXPECT_EQ(test::Match(engine.get(), L"apple"), (Strings{{L"apple crumble", L"Apple pie"}}));
}

TEST_F(EngineDispatch, TheTypeInformationLastsWhileAnyEngineLives)
{
    ComPtr<IPelrinEngine> first = NewEngine(StandardTable());
    ASSERT_EQ(IdOf(first.get(), L"MatchWord"), 6); // loads and caches it
    ASSERT_EQ(Unregister(), S_OK);

    // Engines that come and go meanwhile, a failed creation among them, leave
    // it cached: each counts itself in and out once.
    NewEngine(StandardTable()).reset();
    void* refused = nullptr;
    EXPECT_EQ(CreatePelrinEngine(nullptr, IID_IPersist, &refused, StandardTable()), E_NOINTERFACE);

    // Served from the cache while an engine lives.
    ComPtr<IPelrinEngine> second = NewEngine(StandardTable());
    EXPECT_EQ(IdOf(second.get(), L"MatchWord"), 6);

    // Released with the last engine: a new one must load it again, and can't.
    first.reset();
    second.reset();
    const ComPtr<IPelrinEngine> third = NewEngine(StandardTable());
    EXPECT_EQ(IdOf(third.get(), L"MatchWord"), DISPID_UNKNOWN);
    ASSERT_EQ(RegisterTypeLibrary(), S_OK);
    EXPECT_EQ(IdOf(third.get(), L"MatchWord"), 6);
}

#if PELRIN_TESTED_SETTINGS_METHODS
TEST_F(EngineDispatch, SavedListLoadsIntoAnotherObjectThroughEitherPath)
{
    const std::string folder = test::FreshScratchFolder("dispatch_save_load");
    const test::AppDataRedirect appData(folder);
    const ComPtr<IPelrinEngine> saver = NewEngine(StandardTable());
    LONG ok = 0;
    ASSERT_EQ(saver->AddIgnoredPhrase(Bstr(L"Apple pie").get(), &ok), S_OK);
    ASSERT_EQ(saver->AddIgnoredPhrase(Bstr(L"1st prize").get(), &ok), S_OK);

    // Saved through the vtable, loaded through IDispatch.
    ASSERT_EQ(saver->SaveIgnoredPhrases(), S_OK);
    const ComPtr<IPelrinEngine> late = NewEngine(StandardTable());
    Invoked loaded;
    InvokeMethod(late.get(), IdOf(late.get(), L"LoadIgnoredPhrases"), {}, loaded);
    EXPECT_EQ(loaded.hr, S_OK);
    EXPECT_EQ(test::Ignored(late.get()), (Strings{{L"1st prize", L"Apple pie"}}));
    // Loading lists the phrases without taking them out of the answers.
    EXPECT_EQ(test::Match(late.get(), L"1st"), (Strings{{L"1st prize"}}));

    // Saved through IDispatch (an empty list now), loaded through the vtable.
    const ComPtr<IPelrinEngine> empty = NewEngine(StandardTable());
    Invoked saved;
    InvokeMethod(empty.get(), IdOf(empty.get(), L"SaveIgnoredPhrases"), {}, saved);
    EXPECT_EQ(saved.hr, S_OK);
    const ComPtr<IPelrinEngine> direct = NewEngine(StandardTable());
    EXPECT_EQ(direct->LoadIgnoredPhrases(), S_OK);
    EXPECT_EQ(test::Ignored(direct.get()), test::kNull);
    EXPECT_NE(test::ReadWholeFile(folder + "\\Pelrin\\Pelrin.ini").find("Count=0"), std::string::npos);
}

TEST_F(EngineDispatch, MissingSavedPhrasesFailThroughEitherPathAfterTheOthersLoad)
{
    const std::string folder = test::FreshScratchFolder("dispatch_missing_keys");
    const test::AppDataRedirect appData(folder);
    test::WriteWholeFile(folder + "\\Pelrin\\Pelrin.ini",
                         "[Ignore]\r\nCount=3\r\nPhrase0=Apple pie\r\nPhrase2=1st prize\r\n");
    const HRESULT missing = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    const ComPtr<IPelrinEngine> engine = NewEngine(StandardTable());
    EXPECT_EQ(engine->LoadIgnoredPhrases(), missing);
    EXPECT_EQ(test::Ignored(engine.get()), (Strings{{L"1st prize", L"Apple pie"}}));

    // A script host raises it as an error.
    const ComPtr<IPelrinEngine> late = NewEngine(StandardTable());
    Invoked loaded;
    InvokeMethod(late.get(), IdOf(late.get(), L"LoadIgnoredPhrases"), {}, loaded);
    EXPECT_EQ(loaded.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(loaded.exception.scode, missing);
    EXPECT_EQ(test::Ignored(late.get()), (Strings{{L"1st prize", L"Apple pie"}}));
}

// A file written by hand, by another version or cut short can list phrases
// that ignoring never would: each must come off the list, and no set changes.
TEST_F(EngineDispatch, WhatOnlyASettingsFileListedComesOffTheListAndLeavesTheAnswers)
{
    const std::string folder = test::FreshScratchFolder("dispatch_loaded_only");
    const test::AppDataRedirect appData(folder);
    test::WriteWholeFile(folder + "\\Pelrin\\Pelrin.ini",
                         "[Ignore]\r\nCount=4\r\nPhrase0=!weird\r\nPhrase1=Apple pie\r\n"
                         "Phrase2=xylophone solo\r\nPhrase3=with yyy\r\n");
    const ComPtr<IPelrinEngine> engine = NewEngine(StandardTable());
    ASSERT_EQ(engine->LoadIgnoredPhrases(), S_OK);
    LONG ok = 0;
    EXPECT_EQ(engine->RemoveIgnoredPhrase(Bstr(L"!weird").get(), &ok), S_OK);
    EXPECT_EQ(engine->RemoveIgnoredPhrase(Bstr(L"XYLOPHONE SOLO").get(), &ok), S_OK);
    EXPECT_EQ(test::Ignored(engine.get()), (Strings{{L"Apple pie", L"with yyy"}}));
    EXPECT_EQ(test::Match(engine.get(), L"xylophone"), test::kNull);
    EXPECT_EQ(engine->ClearIgnoredPhrases(&ok), S_OK);
    EXPECT_EQ(test::Ignored(engine.get()), test::kNull);
    EXPECT_EQ(test::Match(engine.get(), L"apple"), (Strings{{L"apple crumble", L"Apple pie"}}));
    EXPECT_EQ(test::Match(engine.get(), L"with"), (Strings{{L"with regard to", L"with respect to"}}));
}
#endif

} // namespace
} // namespace pelrin
