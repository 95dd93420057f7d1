// The phrase table's resource form as the library carries it: the RCDATA
// resources of the module this code is linked into (the DLL, or a test
// program that links the engine).

#include "engine/phrase_table.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace pelrin {
namespace {

// Each failure names its step's call, with the last error, on standard error.
std::optional<std::vector<char>> Failed(const char* call) noexcept
{
    std::fprintf(stderr, "%s error %d\n", call, static_cast<int>(GetLastError()));
    return std::nullopt;
}

class ModuleResources final : public PhraseResources {
public:
    std::optional<std::vector<char>> LoadResourceBytes(const char* name) const override
    {
        HMODULE module = nullptr;
        if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                    GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                reinterpret_cast<LPCSTR>(&Failed), &module))
            return Failed("GetModuleHandle");
        HRSRC info = FindResourceA(module, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
        if (info == nullptr)
            return Failed("FindResource");
        HGLOBAL loaded = LoadResource(module, info);
        if (loaded == nullptr)
            return Failed("LoadResource");
        const DWORD size = SizeofResource(module, info);
        if (size == 0)
            return Failed("SizeofResource");
        // A resource's handle is not a global memory block: GlobalLock
        // refuses it under Wine (null, ERROR_INVALID_HANDLE) and GlobalUnlock
        // answers FALSE with the same error, though nothing failed.
        // LockResource gives the bytes, which stay mapped with the module,
        // so there is no lock to release afterwards.
        const void* bytes = LockResource(loaded);
        if (bytes == nullptr)
            return Failed("GlobalLock");
        std::vector<char> copy(static_cast<std::size_t>(size) + 1, '\0');
        std::memcpy(copy.data(), bytes, size);
        return copy;
    }
};

} // namespace

StoredPhraseTable BuiltInPhraseTable() noexcept
{
    static const ModuleResources resources;
    return &resources;
}

} // namespace pelrin
