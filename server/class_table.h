#pragma once
// The class table of PELRIN.DLL: one entry, the engine class, served by the
// caching class factory and registered from registry script resource 101.

#include "server/module.h"

namespace pelrin {

// The entries, ended by an entry whose clsid is null.
extern ClassTableEntry g_classTable[];

// The registration function of the engine's entry: runs the registry script
// with "Module" = the library's full path in register mode; unregister mode
// needs no path that registration would accept.
HRESULT UpdatePelrinEngineRegistry(BOOL doRegister) noexcept;

} // namespace pelrin
