#pragma once
// Trace output: numbered checkpoint messages on the debugger output channel.
//
// Callers use TRACE_BASIC / TRACE_VERBOSE, which test the level before the
// arguments are evaluated, so a message whose tier is off costs one compare.
// A version without the trace level sends none of them; it sends its own
// lines with DEBUG_MESSAGE instead. A call site that differs names both.

#include "base/release.h"
#include "diag/printf_format.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

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

// Formats by printf rules into a 2048-byte buffer (longer text is cut) and
// sends it as it is: the format carries its own "\n". No level is consulted.
void DebugMessage(const char* format, ...) noexcept __attribute__((format(PELRIN_PRINTF_FORMAT, 1, 2)));

// Takes the level from the environment variable when it holds a non-zero number.
void RefreshTraceLevel();

inline constexpr std::size_t kTraceBufferSize = 2048;
inline constexpr std::size_t kTraceMaxText = kTraceBufferSize - 2;

} // namespace pelrin

#define TRACE_BASIC(...)                                                                           \
    do {                                                                                           \
        if constexpr (::pelrin::release::kTraceLevel) {                                            \
            if (::pelrin::TraceBasicOn())                                                          \
                ::pelrin::TraceMessage(__VA_ARGS__);                                               \
        }                                                                                          \
    } while (0)

#define TRACE_VERBOSE(...)                                                                         \
    do {                                                                                           \
        if constexpr (::pelrin::release::kTraceLevel) {                                            \
            if (::pelrin::TraceVerboseOn())                                                        \
                ::pelrin::TraceMessage(__VA_ARGS__);                                               \
        }                                                                                          \
    } while (0)

#define DEBUG_MESSAGE(...)                                                                         \
    do {                                                                                           \
        if constexpr (!::pelrin::release::kTraceLevel)                                             \
            ::pelrin::DebugMessage(__VA_ARGS__);                                                   \
    } while (0)
