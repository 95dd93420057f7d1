#include "diag/debug_channel.h"

#include <windows.h>

namespace pelrin {

void WriteDebugChannel(const char* line) noexcept
{
    OutputDebugStringA(line);
}

} // namespace pelrin
