// What the registry benchmarks share: the trees they build, and the registry server's CPU time.
#pragma once

#include "core/Handles.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace corvasin::bench
{

// A tree of cTop keys with cChildren subkeys each and cValues values of mixed types in every
// key, under HKCU\<path>; every value's name holds "hit", no key's does.
inline void BuildTree(const char* pszPath, DWORD cTop, DWORD cChildren, DWORD cValues)
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, pszPath);
    UniqueHkey root;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, pszPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, root.put(), nullptr);
    const BYTE binary[24] = {1, 2, 3, 4, 'b', 'y', 't', 'e', 's'};
    const char text[] = "C:\\Program Files\\Corvasin\\some text";
    const char multi[] = "one\0two\0three\0";
    auto fill = [&](HKEY hKey, DWORD nKey) {
        char szName[32];
        for (DWORD v = 0; v < cValues; ++v)
        {
            std::snprintf(szName, sizeof(szName), "hit%02lu", static_cast<unsigned long>(v));
            switch ((nKey + v) % 4)
            {
            case 0:
                ::RegSetValueExA(hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
                break;
            case 1:
                ::RegSetValueExA(hKey, szName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nKey), sizeof(nKey));
                break;
            case 2:
                ::RegSetValueExA(hKey, szName, 0, REG_BINARY, binary, sizeof(binary));
                break;
            default:
                ::RegSetValueExA(hKey, szName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof(multi));
                break;
            }
        }
    };
    char szName[32];
    DWORD nKey = 0;
    for (DWORD t = 0; t < cTop; ++t)
    {
        std::snprintf(szName, sizeof(szName), "Top%04lu", static_cast<unsigned long>(t));
        UniqueHkey top;
        ::RegCreateKeyExA(root.get(), szName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, top.put(), nullptr);
        fill(top.get(), nKey++);
        for (DWORD c = 0; c < cChildren; ++c)
        {
            std::snprintf(szName, sizeof(szName), "Child%04lu", static_cast<unsigned long>(c));
            UniqueHkey child;
            ::RegCreateKeyExA(top.get(), szName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, child.put(), nullptr);
            fill(child.get(), nKey++);
        }
    }
}


// The registry's server is one Unix process. Its CPU time, read through Wine's drive Z: from
// /proc (the server whose environment names this prefix), tells how much of a walk's time the
// server itself spends: work that more threads in the client cannot overlap. Negative when the
// server cannot be found.
inline std::string ReadUnixFile(const std::string& path)
{
    std::string text;
    const HANDLE hFile = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD cb = 0;
    while (::ReadFile(hFile, buffer, sizeof(buffer), &cb, nullptr) && cb)
        text.append(buffer, cb);
    ::CloseHandle(hFile);
    return text;
}

inline std::string FindServerStat()
{
    char szPrefix[MAX_PATH] = "";
    if (!::GetEnvironmentVariableA("WINEPREFIX", szPrefix, MAX_PATH))
        return {};
    const std::string wanted = std::string("WINEPREFIX=") + szPrefix;
    WIN32_FIND_DATAA fd = {};
    const HANDLE hFind = ::FindFirstFileA("Z:\\proc\\*", &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return {};
    std::string found;
    do
    {
        if (fd.cFileName[0] < '0' || fd.cFileName[0] > '9')
            continue;
        const std::string dir = std::string("Z:\\proc\\") + fd.cFileName;
        if (ReadUnixFile(dir + "\\comm").rfind("wineserver", 0) != 0)
            continue;
        std::string envText = ReadUnixFile(dir + "\\environ");
        for (char& ch : envText)
            if (ch == '\0')
                ch = '\n';
        if (envText.find(wanted + "\n") != std::string::npos)
            found = dir + "\\stat";
    } while (found.empty() && ::FindNextFileA(hFind, &fd));
    ::FindClose(hFind);
    return found;
}

inline double ServerCpuSeconds()
{
    static const std::string path = FindServerStat();
    if (path.empty())
        return -1;
    const std::string stat = ReadUnixFile(path);
    const size_t iEnd = stat.rfind(')');
    if (iEnd == std::string::npos)
        return -1;
    // After the name: state, then 10 numbers; user and system time are the 12th and 13th fields.
    unsigned long long fields[13] = {};
    char state = 0;
    if (std::sscanf(stat.c_str() + iEnd + 1, " %c %llu %llu %llu %llu %llu %llu %llu %llu %llu %llu %llu %llu", &state,
                    &fields[0], &fields[1], &fields[2], &fields[3], &fields[4], &fields[5], &fields[6], &fields[7],
                    &fields[8], &fields[9], &fields[10], &fields[11]) != 13)
        return -1;
    return static_cast<double>(fields[10] + fields[11]) / 100.0;
}

} // namespace corvasin::bench
