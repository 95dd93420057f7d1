#pragma once
// Result codes the Windows-free engine code returns or throws. They carry the
// same values as the platform's HRESULTs so the server can pass them on as is.

#include <cstdint>

namespace pelrin {

using HResult = std::int32_t;

inline constexpr HResult kS_OK = 0;
inline constexpr HResult kE_UNEXPECTED = static_cast<HResult>(0x8000FFFFu);

} // namespace pelrin
