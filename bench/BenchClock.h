// The clock, the heap meter and the summary the benchmarks share.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
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

// Bytes in use in all the process's heaps (the shell allocator's and the C runtime's). Wine
// leaves the private-bytes counter of GetProcessMemoryInfo unchanged, so the heaps are walked.
inline SIZE_T HeapBytesInUse()
{
    HANDLE heaps[64];
    const DWORD cHeaps = ::GetProcessHeaps(64, heaps);
    SIZE_T cbBusy = 0;
    for (DWORD i = 0; i < cHeaps && i < 64; ++i)
    {
        if (!::HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (::HeapWalk(heaps[i], &entry))
        {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                cbBusy += entry.cbData;
        }
        ::HeapUnlock(heaps[i]);
    }
    return cbBusy;
}

// The first line of every benchmark's output: which build gave the numbers.
inline void PrintArchitecture()
{
#if defined(_WIN64)
    std::printf("architecture: x64 (64-bit build)\n");
#else
    std::printf("architecture: x86 (32-bit build)\n");
#endif
}

} // namespace corvasin::bench
