#include "tests/server/engine_test_support.h"

#include "tests/server/built_dll_path.h"
#include "server/module.h"
#include "server/pelrin_engine.h"
#include "tests/support/test_phrase_table.h"

namespace pelrin::test {
namespace {

// A test program has no DllMain: the module object lives for the program.
struct ModuleForTests {
    ModuleForTests() noexcept { g_module.Init(nullptr, GetModuleHandleW(nullptr)); }
    ~ModuleForTests() { g_module.Term(); }
    ModuleForTests(const ModuleForTests&) = delete;
    ModuleForTests& operator=(const ModuleForTests&) = delete;
};
const ModuleForTests kModule;

} // namespace

StoredPhraseTable StandardTable()
{
    static const TestPhraseTable table{
        {"Apple pie", "tart", "cake", "tart"},
        {"apple crumble"},
        {"1st prize", "first place"},
        {"Pear tart", "pear flan"},
        {"caf\xE9 au lait", "caf\xE9 cr\xE8me"},
        {"with regard to", "about"},
        {"with respect to", "about"},
        {"x? marks the spot"},
    };
    return table.get();
}

ComPtr<IPelrinEngine> NewEngine(StoredPhraseTable table)
{
    ComPtr<IPelrinEngine> engine;
    const HRESULT hr = table != nullptr
                           ? CreatePelrinEngine(nullptr, IID_IPelrinEngine, engine.addressofVoid(), table)
                           : CreatePelrinEngine(nullptr, IID_IPelrinEngine, engine.addressofVoid());
    EXPECT_EQ(hr, S_OK);
    return engine;
}

UniqueBstr Bstr(const std::wstring& text)
{
    return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

std::optional<std::vector<std::wstring>> ReadStrings(const VARIANT& result)
{
    if (V_VT(&result) == VT_NULL)
        return std::nullopt;
    if (V_VT(&result) != (VT_ARRAY | VT_VARIANT)) {
        ADD_FAILURE() << "result type " << V_VT(&result);
        return std::nullopt;
    }
    SAFEARRAY* array = V_ARRAY(&result);
    if (array == nullptr || SafeArrayGetDim(array) != 1) {
        ADD_FAILURE() << "not a one-dimensional array";
        return std::nullopt;
    }
    LONG lower = -1;
    LONG upper = -2;
    EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
    if (lower != 0) {
        ADD_FAILURE() << "lower bound " << lower;
        return std::nullopt;
    }
    std::vector<std::wstring> strings;
    for (LONG i = 0; i <= upper; ++i) {
        UniqueVariant element;
        if (SafeArrayGetElement(array, &i, element.addressof()) != S_OK ||
            V_VT(&element.get()) != VT_BSTR) {
            ADD_FAILURE() << "element " << i << " is not a string";
            return std::nullopt;
        }
        const BSTR text = V_BSTR(&element.get());
        strings.emplace_back(text, SysStringLen(text));
    }
    return strings;
}

Strings Match(IPelrinEngine* engine, const std::wstring& word)
{
    UniqueVariant result;
    const UniqueBstr text = Bstr(word);
    EXPECT_EQ(engine->MatchWord(text.get(), result.addressof()), S_OK);
    return ReadStrings(result.get());
}

Strings Alternates(IPelrinEngine* engine, const std::wstring& phrase)
{
    UniqueVariant result;
    const UniqueBstr text = Bstr(phrase);
    EXPECT_EQ(engine->LookupAlternatePhrases(text.get(), result.addressof()), S_OK);
    return ReadStrings(result.get());
}

Strings Ignored(IPelrinEngine* engine)
{
    UniqueVariant result;
    EXPECT_EQ(engine->GetIgnoredPhrases(result.addressof()), S_OK);
    return ReadStrings(result.get());
}

HRESULT RegisterTypeLibrary()
{
    ComPtr<ITypeLib> library;
    return LoadTypeLibEx(BuiltDllPath().c_str(), REGKIND_REGISTER, library.addressof());
}

long LockCount()
{
    return g_module.LockCount();
}

} // namespace pelrin::test
