// The built corvasin.dll as the tests reach it: its Windows path (CORVASIN_DLL names it, possibly
// as a Unix path), regsvr32 runs against it, its exports loaded in-process, and the readers and
// writers of the registry values and files that registration leaves behind.
#pragma once

#include "core/ComPtr.h"
#include "core/Handles.h"
#include "support/RegistrySnapshot.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace corvasin::test
{

// The Windows form of CORVASIN_DLL; empty when the variable is missing.
inline std::string CorvasinDllPath()
{
    const char* pszEnv = std::getenv("CORVASIN_DLL");
    if (!pszEnv || !*pszEnv)
        return {};
    // Under Wine a Unix path is turned into its DOS form by Wine's own helper.
    using PfnDosName = LPWSTR(CDECL*)(LPCSTR);
    const auto pfn = reinterpret_cast<PfnDosName>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name"));
    if (LPWSTR pszDos = pszEnv[0] == '/' && pfn ? pfn(pszEnv) : nullptr)
    {
        char szPath[MAX_PATH * 2] = {};
        ::WideCharToMultiByte(CP_ACP, 0, pszDos, -1, szPath, sizeof(szPath), nullptr, nullptr);
        ::HeapFree(::GetProcessHeap(), 0, pszDos);
        return szPath;
    }
    char szFull[MAX_PATH * 2] = {};
    const DWORD cch = ::GetFullPathNameA(pszEnv, sizeof(szFull), szFull, nullptr);
    return cch ? std::string(szFull, cch) : std::string(pszEnv);
}

// Runs "regsvr32.exe <arguments> <dll>"; its exit code, as RunAndWait gives it.
inline DWORD RunRegsvr32(const std::string& arguments)
{
    return RunAndWait("regsvr32.exe " + arguments + " \"" + CorvasinDllPath() + "\"");
}
inline DWORD RegisterDll() { return RunRegsvr32("/s"); }
inline DWORD UnregisterDll() { return RunRegsvr32("/u /s"); }

// The exports of a copy of the DLL loaded in-process, called as COM calls them.
struct CDllExports
{
    using PfnGetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using PfnCanUnloadNow = HRESULT(STDAPICALLTYPE*)();

    explicit CDllExports(const std::string& path) : m_dll(::LoadLibraryA(path.c_str())) {}

    template <typename Pfn>
    Pfn Export(const char* pszName) const
    {
        return m_dll ? reinterpret_cast<Pfn>(::GetProcAddress(m_dll.get(), pszName)) : nullptr;
    }
    ComPtr<IClassFactory> Factory(REFCLSID rclsid) const
    {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(m_pfnGetClassObject(rclsid, IID_IClassFactory, factory.put_void()), S_OK);
        return factory;
    }

    UniqueHmodule m_dll;
    const PfnGetClassObject m_pfnGetClassObject = Export<PfnGetClassObject>("DllGetClassObject");
    const PfnCanUnloadNow m_pfnCanUnloadNow = Export<PfnCanUnloadNow>("DllCanUnloadNow");
};

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
    std::string text() const { return data.substr(0, data.find_last_not_of('\0') + 1); }
};

inline RegValue ReadValue(HKEY hRoot, const std::string& keyPath, const char* pszName)
{
    RegValue value;
    UniqueHkey key;
    DWORD cb = 0;
    if ((value.lResult = ::RegOpenKeyExA(hRoot, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put())) ||
        (value.lResult = ::RegQueryValueExA(key.get(), pszName, nullptr, &value.dwType, nullptr, &cb)))
        return value;
    value.data.resize(cb);
    value.lResult = ::RegQueryValueExA(key.get(), pszName, nullptr, &value.dwType,
                                       reinterpret_cast<BYTE*>(value.data.data()), &cb);
    value.data.resize(cb);
    return value;
}

// Puts back what ReadValue read: the value, its key made when missing, or no value at all.
inline LONG WriteValue(HKEY hRoot, const std::string& keyPath, const char* pszName, const RegValue& value)
{
    if (!value.exists())
        return ::RegDeleteKeyValueA(hRoot, keyPath.c_str(), pszName);
    return ::RegSetKeyValueA(hRoot, keyPath.c_str(), pszName, value.dwType, value.data.data(),
                             static_cast<DWORD>(value.data.size()));
}
inline RegValue StringValue(const std::string& text) { return {ERROR_SUCCESS, REG_SZ, text + '\0'}; }
inline RegValue DwordValue(DWORD dw)
{
    return {ERROR_SUCCESS, REG_DWORD, std::string(reinterpret_cast<char*>(&dw), 4)};
}

inline bool KeyExists(HKEY hRoot, const std::string& keyPath)
{
    UniqueHkey key;
    return ::RegOpenKeyExA(hRoot, keyPath.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// A subkey of the test's scratch key standing in for a root (HKEY_CLASSES_ROOT, the machine's).
inline UniqueHkey CreateKey(HKEY hParent, const char* pszName)
{
    UniqueHkey key;
    ::RegCreateKeyExA(hParent, pszName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    return key;
}

inline std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// This test program's own file, which the in-process registration steps name as the server.
inline std::string ModulePath()
{
    char sz[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, sz, MAX_PATH);
    return sz;
}

inline bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace corvasin::test
