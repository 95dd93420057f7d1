#pragma once
// The exception barrier of an interface method: nothing thrown inside crosses
// the interface, and a result VARIANT is left VT_NULL.

#include "base/caught_exception_win.h"

#include <windows.h>
#include <oleauto.h>

namespace pelrin {

template <typename Body>
HRESULT MethodBarrier(VARIANT* out, Body&& body) noexcept
{
    HRESULT hr = E_UNEXPECTED;
    try {
        return body();
    } catch (...) {
        hr = HResultFromCaughtException();
    }
    if (out != nullptr && V_VT(out) != VT_NULL && SUCCEEDED(VariantClear(out)))
        V_VT(out) = VT_NULL;
    return hr;
}

} // namespace pelrin
