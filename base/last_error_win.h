#pragma once
// The thread's last error as the library hands it on. Windows only.

#include <windows.h>

namespace pelrin {

// As a failing HRESULT of facility Win32. A failed call that left no code
// still gives a failure (E_FAIL), never S_OK. Give the code when it was read
// earlier, because calls in between (tracing among them) may change the
// thread's own.
inline HRESULT LastErrorAsHresult(DWORD error = GetLastError()) noexcept
{
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// The thread's last-error code, or `fallback` when the failed call left none,
// which would otherwise read as success.
inline DWORD LastErrorOr(DWORD fallback) noexcept
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

} // namespace pelrin
