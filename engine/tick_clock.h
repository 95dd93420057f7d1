#pragma once
// Millisecond tick counter used to time the table load (wraps at 2^32).

#include <cstdint>

namespace pelrin {

std::uint32_t TickCountMs() noexcept;

} // namespace pelrin
