#pragma once
// The full path of a loaded module, however long. Windows only.

#include "base/last_error_win.h"

#include <windows.h>

#include <new>
#include <string>

namespace pelrin {

// Long enough for any path the system hands out (32,767 characters).
inline constexpr DWORD kLongestModulePath = 32768;

// The module's path, read whole so that a long one is never taken cut short
// (null: the program's own file). Longer than any path the system hands out:
// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE).
inline HRESULT GetModulePath(HMODULE module, std::wstring& path) noexcept
{
    try {
        std::wstring buffer(MAX_PATH, L'\0');
        for (;;) {
            const auto size = static_cast<DWORD>(buffer.size());
            const DWORD length = GetModuleFileNameW(module, buffer.data(), size);
            if (length == 0)
                return LastErrorAsHresult();
            if (length < size) {
                buffer.resize(length);
                break;
            }
            if (size >= kLongestModulePath)
                return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
            buffer.resize(2 * static_cast<std::size_t>(size));
        }
        path = std::move(buffer);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace pelrin
