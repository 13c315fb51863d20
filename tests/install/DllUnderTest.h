// The built corvasin.dll as the tests reach it: its Windows path (CORVASIN_DLL names it, possibly
// as a Unix path), regsvr32 runs against it, and its exports loaded in-process.
#pragma once

#include <windows.h>
#include <cstdlib>
#include <string>

namespace corvasin::test
{

// The Windows form of CORVASIN_DLL; empty when the variable is missing.
inline std::string CorvasinDllPath()
{
    const char* pszEnv = std::getenv("CORVASIN_DLL");
    if (!pszEnv || !*pszEnv)
        return {};
    if (pszEnv[0] == '/')
    {
        // Under Wine a Unix path is turned into its DOS form by Wine's own helper.
        using PfnDosName = LPWSTR(CDECL*)(LPCSTR);
        const auto pfn = reinterpret_cast<PfnDosName>(
            ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name"));
        if (pfn)
        {
            if (LPWSTR pszDos = pfn(pszEnv))
            {
                char szPath[MAX_PATH * 2] = {};
                ::WideCharToMultiByte(CP_ACP, 0, pszDos, -1, szPath, sizeof(szPath), nullptr,
                                      nullptr);
                ::HeapFree(::GetProcessHeap(), 0, pszDos);
                return szPath;
            }
        }
    }
    char szFull[MAX_PATH * 2] = {};
    const DWORD cch = ::GetFullPathNameA(pszEnv, sizeof(szFull), szFull, nullptr);
    return cch ? std::string(szFull, cch) : std::string(pszEnv);
}

// Runs "regsvr32.exe <arguments> <dll>" and returns its exit code; ~0u when it cannot start or
// does not finish within a minute.
inline DWORD RunRegsvr32(const std::string& arguments)
{
    std::string commandLine = "regsvr32.exe " + arguments + " \"" + CorvasinDllPath() + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi))
        return ~0u;
    DWORD dwExitCode = ~0u;
    if (::WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(pi.hProcess, &dwExitCode);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return dwExitCode;
}

inline DWORD RegisterDll()
{
    return RunRegsvr32("/s");
}
inline DWORD UnregisterDll()
{
    return RunRegsvr32("/u /s");
}

// The text of a GUID in registry form, "{...}" with upper-case digits.
inline std::string GuidString(REFGUID guid)
{
    wchar_t szWide[40] = {};
    ::StringFromGUID2(guid, szWide, 40);
    char sz[40] = {};
    ::WideCharToMultiByte(CP_ACP, 0, szWide, -1, sz, sizeof(sz), nullptr, nullptr);
    return sz;
}

// One registry value as read back: its type and raw bytes; type REG_NONE with no data when the
// key or value is missing.
struct RegValue
{
    LONG lResult = ERROR_FILE_NOT_FOUND;
    DWORD dwType = REG_NONE;
    std::string data; // raw bytes

    bool exists() const { return lResult == ERROR_SUCCESS; }
    // The data as a string without its terminating zero.
    std::string text() const
    {
        std::string s = data;
        while (!s.empty() && s.back() == '\0')
            s.pop_back();
        return s;
    }
};

inline RegValue ReadValue(HKEY hRoot, const std::string& keyPath, const char* pszName)
{
    RegValue value;
    HKEY hKey = nullptr;
    value.lResult = ::RegOpenKeyExA(hRoot, keyPath.c_str(), 0, KEY_QUERY_VALUE, &hKey);
    if (value.lResult != ERROR_SUCCESS)
        return value;
    DWORD cb = 0;
    value.lResult = ::RegQueryValueExA(hKey, pszName, nullptr, &value.dwType, nullptr, &cb);
    if (value.lResult == ERROR_SUCCESS)
    {
        value.data.resize(cb);
        value.lResult = ::RegQueryValueExA(hKey, pszName, nullptr, &value.dwType,
                                           reinterpret_cast<BYTE*>(value.data.data()), &cb);
        value.data.resize(cb);
    }
    ::RegCloseKey(hKey);
    return value;
}

inline bool KeyExists(HKEY hRoot, const std::string& keyPath)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, keyPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(hKey);
    return true;
}

} // namespace corvasin::test
