#pragma once
// The clock and the summary of the programs that print figures. Windows only.

#include <windows.h>

#include <algorithm>
#include <vector>

namespace pelrin::test {

// Nanoseconds of the performance counter.
inline double NowNs()
{
    static const double ticksPerNs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1e9;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerNs;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace pelrin::test
