#pragma once
// What the four exports of the library do, over a module object and its
// class table. The exports themselves (exports.cpp) only forward here.

#include "server/module.h"

namespace pelrin {

// The class object of rclsid, created once and cached in its table entry,
// queried for riid. E_POINTER, CLASS_E_CLASSNOTAVAILABLE, or the code of
// the creation or the query.
HRESULT GetClassObject(Module& module, REFCLSID rclsid, REFIID riid, void** ppv) noexcept;

// S_OK when nothing holds the library (lock count 0), else S_FALSE.
HRESULT CanUnloadNow(const Module& module) noexcept;

// Writes every class's entries, then registers the type library. Stops at
// the first failure and returns its code.
HRESULT RegisterServer(Module& module) noexcept;

// Removes every class's entries; failures are not reported (S_OK). The type
// library stays registered.
HRESULT UnregisterServer(Module& module) noexcept;

} // namespace pelrin
