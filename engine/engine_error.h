#pragma once
// Result codes the Windows-free engine code returns or throws, as HRESULTs:
// the platform's own type on Windows, the same 32-bit value on the host, so
// the server passes them on as they are.

#include <cstdint>

#if defined(_WIN32)
// Declared as the platform headers declare it, under their guard, so this
// header needs none of them.
#ifndef _HRESULT_DEFINED
#define _HRESULT_DEFINED
typedef long HRESULT;
#endif
#else
using HRESULT = std::int32_t;
#endif

static_assert(sizeof(HRESULT) == 4);

namespace pelrin {

inline constexpr HRESULT kS_OK = 0;
inline constexpr HRESULT kE_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);

} // namespace pelrin
