#pragma once
// The one exception barrier of an interface method: nothing thrown inside
// crosses the interface, and a result VARIANT is left VT_NULL.

#include <windows.h>
#include <oleauto.h>

#include <new>

namespace pelrin {

template <typename Body>
HRESULT Guarded(VARIANT* out, Body&& body) noexcept
{
    HRESULT hr = E_UNEXPECTED;
    try {
        return body();
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    if (out != nullptr && V_VT(out) != VT_NULL && SUCCEEDED(VariantClear(out)))
        V_VT(out) = VT_NULL;
    return hr;
}

} // namespace pelrin
