#pragma once
// On 64-bit Windows both builds of the library can be registered side by
// side: each class key lands in the registry view of its bitness, but the
// ProgID keys are shared by both views. Unregistering one build runs its
// script, which removes them, and would leave the other build's class
// without the ProgIDs its scripts and clients create it by.

#include <windows.h>

namespace pelrin {

// Called after `clsid` was unregistered: when the class is still registered
// in the other registry view, writes back the ProgID keys its class key names
// (description, CLSID, CurVer). Otherwise, on 32-bit Windows included, does
// nothing.
void KeepProgIdsOfTheOtherView(REFCLSID clsid) noexcept;

} // namespace pelrin
