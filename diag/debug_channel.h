#pragma once
// The seam between trace formatting and the platform's debugger output channel.

#include <functional>

namespace pelrin {

// Sends one zero-terminated line. Windows: OutputDebugStringA.
void WriteDebugChannel(const char* line) noexcept;

#if !defined(_WIN32)
// Host builds only: where lines go instead (tests read them). Empty: dropped.
void SetDebugChannelSink(std::function<void(const char*)> sink);
#endif

} // namespace pelrin
