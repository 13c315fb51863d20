// The clock and the summary the benchmarks share.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace corvasin::bench
{

// Seconds on the performance counter.
inline double Now()
{
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// The middle of the rounds' times: one round disturbed by the wineserver does not move it.
inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace corvasin::bench
