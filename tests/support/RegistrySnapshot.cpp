#include "support/RegistrySnapshot.h"

namespace corvasin::test
{


namespace
{
void Snap(HKEY hKey, const std::string& path, Snapshot& out)
{
    auto& values = out[path];
    std::vector<char> name(16384);
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i)
    {
        DWORD cch = static_cast<DWORD>(name.size()), cb = static_cast<DWORD>(data.size()), type = 0;
        if (::RegEnumValueA(hKey, i, name.data(), &cch, nullptr, &type, data.data(), &cb) != ERROR_SUCCESS)
            break;
        values[name.data()] = {type, std::vector<BYTE>(data.begin(), data.begin() + cb)};
    }
    for (DWORD i = 0;; ++i)
    {
        DWORD cch = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExA(hKey, i, name.data(), &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::string sub = name.data();
        HKEY hSub = nullptr;
        if (::RegOpenKeyExA(hKey, sub.c_str(), 0, KEY_READ, &hSub) == ERROR_SUCCESS)
        {
            Snap(hSub, path.empty() ? sub : path + "\\" + sub, out);
            ::RegCloseKey(hSub);
        }
    }
}

} // namespace

Snapshot SnapKey(const std::string& path)
{
    Snapshot out;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return out;
    Snap(hKey, "", out);
    ::RegCloseKey(hKey);
    return out;
}

std::string TempFile(const char* pszName)
{
    char szDir[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szDir);
    return std::string(szDir) + pszName;
}

// Runs the registry editor on the file, silently, and waits for it.
DWORD ImportRegFile(const std::string& file)
{
    std::string command = "regedit.exe /s \"" + file + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return ::GetLastError();
    ::WaitForSingleObject(pi.hProcess, 60000);
    DWORD dwExit = 1;
    ::GetExitCodeProcess(pi.hProcess, &dwExit);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return dwExit;
}

// Compares value by value, so that a failure names what differs.
void ExpectSameTree(const Snapshot& actual, const Snapshot& expected)
{
    std::map<std::string, int> keys;
    for (const auto& [key, values] : actual)
        keys[key] |= 1;
    for (const auto& [key, values] : expected)
        keys[key] |= 2;
    for (const auto& [key, where] : keys)
    {
        SCOPED_TRACE("key \"" + key + "\"");
        ASSERT_EQ(where, 3) << (where == 1 ? "not expected" : "missing");
        const auto& a = actual.at(key);
        const auto& e = expected.at(key);
        std::map<std::string, int> names;
        for (const auto& [name, value] : a)
            names[name] |= 1;
        for (const auto& [name, value] : e)
            names[name] |= 2;
        for (const auto& [name, where2] : names)
        {
            SCOPED_TRACE("value \"" + name + "\"");
            ASSERT_EQ(where2, 3) << (where2 == 1 ? "not expected" : "missing");
            EXPECT_EQ(a.at(name).first, e.at(name).first);
            EXPECT_EQ(a.at(name).second, e.at(name).second);
        }
    }
}

} // namespace corvasin::test
