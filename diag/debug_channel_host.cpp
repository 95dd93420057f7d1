#include "diag/debug_channel.h"

#include <utility>

namespace pelrin {
namespace {
std::function<void(const char*)>& Sink()
{
    static std::function<void(const char*)> sink;
    return sink;
}
} // namespace

void WriteDebugChannel(const char* line) noexcept
{
    try {
        if (Sink())
            Sink()(line);
    } catch (...) {
        // A test sink that throws must not change the traced operation's result.
    }
}

void SetDebugChannelSink(std::function<void(const char*)> sink)
{
    Sink() = std::move(sink);
}

} // namespace pelrin
