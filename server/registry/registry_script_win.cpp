#include "server/registry/registry_script_win.h"

#include "base/last_error_win.h"
#include "base/win_owners.h"

#include <new>
#include <string>

namespace pelrin {

SystemRegistryScript::SystemRegistryScript() : m_interpreter(m_registry, m_text) {}

HRESULT SystemRegistryScript::AddSubstitution(const wchar_t* name, const wchar_t* value) noexcept
{
    if (name == nullptr || value == nullptr)
        return E_INVALIDARG;
    return m_interpreter.AddSubstitution(name, value);
}

HRESULT SystemRegistryScript::RunResourceScript(const wchar_t* modulePath, UINT resourceId,
                                                const wchar_t* resourceType, bool registerMode) noexcept
{
    if (modulePath == nullptr || resourceType == nullptr)
        return E_INVALIDARG;
    try {
        std::string path;
        std::string type;
        HRESULT result = m_text.ToAnsi(modulePath, path);
        if (SUCCEEDED(result))
            result = m_text.ToAnsi(resourceType, type);
        if (FAILED(result))
            return result;

        SetLastError(ERROR_SUCCESS);
        const UniqueHmodule module(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (!module)
            return LastErrorAsHresult();
        return RunLoadedScript(module.get(), resourceId, type.c_str(), registerMode);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT SystemRegistryScript::RunModuleScript(HMODULE module, UINT resourceId, const wchar_t* resourceType,
                                              bool registerMode) noexcept
{
    if (resourceType == nullptr)
        return E_INVALIDARG;
    try {
        std::string type;
        const HRESULT result = m_text.ToAnsi(resourceType, type);
        if (FAILED(result))
            return result;
        return RunLoadedScript(module, resourceId, type.c_str(), registerMode);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT SystemRegistryScript::RunLoadedScript(HMODULE module, UINT resourceId, const char* resourceType,
                                              bool registerMode)
{
    SetLastError(ERROR_SUCCESS);
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), resourceType);
    if (found == nullptr)
        return LastErrorAsHresult();
    const HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr)
        return LastErrorAsHresult();
    SetLastError(ERROR_SUCCESS);
    const DWORD size = SizeofResource(module, found);
    if (size == 0 && GetLastError() != ERROR_SUCCESS)
        return LastErrorAsHresult();
    const void* const bytes = LockResource(loaded);
    if (bytes == nullptr && size != 0)
        return LastErrorAsHresult();

    // The stored script has no terminator; the string adds one.
    const std::string script = bytes ? std::string(static_cast<const char*>(bytes), size) : std::string();
    return m_interpreter.RunScript(script.c_str(), registerMode);
}

} // namespace pelrin
