#pragma once
// Where a call must answer with an HRESULT (an interface method, a function
// behind one), nothing thrown may cross: what was thrown becomes the answer.
// Windows only.

#include <windows.h>

#include <new>

namespace pelrin {

// Only inside a catch handler: the exception being handled as an HRESULT.
// A failure thrown as a plain HRESULT (the engine's store does that) is
// itself; exhausted memory is E_OUTOFMEMORY; anything else E_UNEXPECTED.
inline HRESULT HResultFromCaughtException() noexcept
{
    try {
        throw;
    } catch (HRESULT hr) {
        return FAILED(hr) ? hr : E_UNEXPECTED;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// Runs `body`, which answers an HRESULT, and answers for it what it throws.
template <typename Body>
HRESULT HResultBarrier(Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return HResultFromCaughtException();
    }
}

} // namespace pelrin
