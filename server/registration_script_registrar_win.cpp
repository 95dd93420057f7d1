#include "server/registration_script.h"

#include "base/com_ptr.h"
#include "base/module_path_win.h"
#include "server/registration.h"
#include "server/resource_ids.h"

#include <objbase.h>

#include <new>
#include <string>

namespace pelrin {

// The system's registrar component: the interface it is driven through, as
// the system declares it. Not in an anonymous namespace: the compiler would
// take an interface no class of this file implements for one that cannot
// exist, and turn the calls into calls of a pure virtual function.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct IRegistrar : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddReplacement(LPCOLESTR key, LPCOLESTR item) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearReplacements() = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceRegisterSz(LPCOLESTR resFileName, LPCOLESTR id, LPCOLESTR type) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceUnregisterSz(LPCOLESTR resFileName, LPCOLESTR id, LPCOLESTR type) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileRegister(LPCOLESTR fileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileUnregister(LPCOLESTR fileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE StringRegister(LPCOLESTR data) = 0;
    virtual HRESULT STDMETHODCALLTYPE StringUnregister(LPCOLESTR data) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceRegister(LPCOLESTR resFileName, UINT id, LPCOLESTR type) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceUnregister(LPCOLESTR resFileName, UINT id, LPCOLESTR type) = 0;
};
#pragma GCC diagnostic pop

namespace {

// Its class and the interface's identifier.
constexpr CLSID kClsidRegistrar = {0x44EC053A, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};
constexpr IID kIidRegistrar = {0x44EC053B, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};

// The registrar puts a replacement into the script as it is, where the script
// quotes it ('%MODULE%'): an apostrophe of the path would end the string and
// scatter the rest of the path over keys of their own. Doubled, the script
// language reads it back as one apostrophe.
std::wstring QuotedForScript(const wchar_t* text)
{
    std::wstring quoted;
    for (; *text != L'\0'; ++text) {
        quoted += *text;
        if (*text == L'\'')
            quoted += L'\'';
    }
    return quoted;
}

// Runs the resource script of the file at modulePath, which is also "Module".
HRESULT RunRegistrar(const wchar_t* modulePath, bool doRegister) noexcept
{
    // The component's own failure, when it cannot be made, is the result.
    ComPtr<IRegistrar> registrar;
    HRESULT hr = CoCreateInstance(kClsidRegistrar, nullptr, CLSCTX_INPROC_SERVER, kIidRegistrar,
                                  registrar.addressofVoid());
    if (FAILED(hr))
        return hr;
    try {
        hr = registrar->AddReplacement(L"Module", QuotedForScript(modulePath).c_str());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (FAILED(hr))
        return hr;
    return doRegister ? registrar->ResourceRegister(modulePath, IDR_PELRINENGINE, L"REGISTRY")
                      : registrar->ResourceUnregister(modulePath, IDR_PELRINENGINE, L"REGISTRY");
}

} // namespace

HRESULT RunRegistrationScript(const wchar_t* modulePath) noexcept
{
    return RunRegistrar(modulePath, true);
}

HRESULT RunUnregistrationScript(HMODULE module) noexcept
{
    // The registrar reads the file by its wide path, unchecked.
    std::wstring path;
    const HRESULT hr = GetModulePath(module, path);
    return FAILED(hr) ? hr : RunRegistrar(path.c_str(), false);
}

} // namespace pelrin
