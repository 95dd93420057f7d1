#pragma once
// The caching class factory: the class object of a class-table entry. The
// table keeps the first reference for the life of the library; every further
// reference belongs to a client and keeps the library loaded while it exists.

#include "server/module.h"

#include <windows.h>
#include <unknwn.h>

namespace pelrin {

// The class-object creation function of a table entry: a new factory for
// `createInstance`, queried for `riid`. E_OUTOFMEMORY, or the code of the
// query (the factory is deleted again then).
HRESULT CreateCachingClassFactory(CreateInstanceFunction createInstance, REFIID riid,
                                  void** ppv) noexcept;

} // namespace pelrin
