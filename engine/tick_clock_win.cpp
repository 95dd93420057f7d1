#include "engine/tick_clock.h"

#include <windows.h>

namespace pelrin {

std::uint32_t TickCountMs() noexcept
{
    return GetTickCount();
}

} // namespace pelrin
