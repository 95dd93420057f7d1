#pragma once
// The thread's last error in the two forms the library hands it on. Windows
// only. Which one a caller needs is part of its contract, so the names say it.

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

// As the positive Win32 code that SaveIgnoredPhrases and LoadIgnoredPhrases
// return in place of an HRESULT; `fallback` when the failed call left none,
// which would otherwise read as success.
inline HRESULT LastErrorAsPositiveCode(DWORD fallback) noexcept
{
    const DWORD error = GetLastError();
    return static_cast<HRESULT>(error != ERROR_SUCCESS ? error : fallback);
}

} // namespace pelrin
