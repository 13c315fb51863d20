// The clock, the heap meter, child processes and the summary the benchmarks share.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
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

// Runs a command line to its end: the seconds it took, or a negative number on failure.
inline double TimeProcess(std::string command)
{
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    const double t0 = Now();
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    const double t = Now() - t0;
    DWORD dwExit = 1;
    ::GetExitCodeProcess(pi.hProcess, &dwExit);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return dwExit == 0 ? t : -1;
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
