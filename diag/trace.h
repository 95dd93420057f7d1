#pragma once
// Trace output: numbered checkpoint messages on the debugger output channel.
//
// Callers use TRACE_BASIC / TRACE_VERBOSE, which test the level before the
// arguments are evaluated, so a message whose tier is off costs one compare.

#include <atomic>
#include <cstdint>

#if defined(__MINGW32__)
#define PELRIN_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define PELRIN_PRINTF_FORMAT printf
#endif

namespace pelrin {

// Process-wide level; 1 at load. Only RefreshTraceLevel writes it, and only
// with non-zero values. Relaxed atomics: a lone aligned 32-bit value, no order.
extern std::atomic<std::int32_t> g_traceLevel;

inline bool TraceBasicOn() noexcept
{
    return g_traceLevel.load(std::memory_order_relaxed) != 0;
}

inline bool TraceVerboseOn() noexcept
{
    return g_traceLevel.load(std::memory_order_relaxed) > 1;
}

// Formats by printf rules (at most 2046 characters; longer text is cut),
// appends "\n" and sends the line in one call. Does not look at the level.
void TraceMessage(const char* format, ...) noexcept
    __attribute__((format(PELRIN_PRINTF_FORMAT, 1, 2)));

// Takes the level from the environment variable when it holds a non-zero number.
void RefreshTraceLevel();

inline constexpr std::size_t kTraceBufferSize = 2048;
inline constexpr std::size_t kTraceMaxText = kTraceBufferSize - 2;

} // namespace pelrin

#define TRACE_BASIC(...)                                                                           \
    do {                                                                                           \
        if (::pelrin::TraceBasicOn())                                                              \
            ::pelrin::TraceMessage(__VA_ARGS__);                                                   \
    } while (0)

#define TRACE_VERBOSE(...)                                                                         \
    do {                                                                                           \
        if (::pelrin::TraceVerboseOn())                                                            \
            ::pelrin::TraceMessage(__VA_ARGS__);                                                   \
    } while (0)
