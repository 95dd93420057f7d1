#include "diag/rot13.h"
#include "diag/trace.h"

#include <cstdlib>

namespace pelrin {

std::atomic<std::int32_t> g_traceLevel{1};

namespace {
// Only the rotated name is stored, so the plain name is not in the library's bytes.
constexpr auto kRotatedVariableName = Rot13Literal("PELRIN_TRACE");
} // namespace

std::string Rot13(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = Rot13Char(c);
    return result;
}

void RefreshTraceLevel()
{
    const char* rotated = kRotatedVariableName.data();
    // Hide the constant from the optimiser, which would otherwise fold the
    // rotation and plant the plain name in the code as immediates.
    asm("" : "+r"(rotated));
    const std::string name = Rot13(rotated);
    const char* value = std::getenv(name.c_str());
    if (value == nullptr)
        return;
    const int level = std::atoi(value);
    if (level != 0)
        g_traceLevel.store(level, std::memory_order_relaxed);
}

} // namespace pelrin
