#include "diag/trace.h"

#include "diag/debug_channel.h"

#include <cstdarg>
#include <cstdio>

namespace pelrin {

void TraceMessage(const char* format, ...) noexcept
{
    char buffer[kTraceBufferSize];
    va_list args;
    va_start(args, format);
    // Room for kTraceMaxText characters; the last two bytes hold "\n" and the zero.
    const int written = std::vsnprintf(buffer, kTraceMaxText + 1, format, args);
    va_end(args);
    std::size_t length = 0;
    if (written > 0)
        length = static_cast<std::size_t>(written) < kTraceMaxText ? static_cast<std::size_t>(written)
                                                                   : kTraceMaxText;
    buffer[length] = '\n';
    buffer[length + 1] = '\0';
    WriteDebugChannel(buffer);
}

void DebugMessage(const char* format, ...) noexcept
{
    char buffer[kTraceBufferSize];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (written < 0)
        buffer[0] = '\0';
    WriteDebugChannel(buffer);
}

} // namespace pelrin
