#include "support/RegistrySnapshot.h"

#include "core/Handles.h"

namespace corvasin::test
{

namespace
{
void Snap(HKEY hKey, const std::string& path, Snapshot& out)
{
    auto& values = out[path];
    std::vector<char> name(16384);
    std::vector<BYTE> data(1 << 16);
    DWORD cch = 0, cb = 0, type = 0;
    for (DWORD i = 0; cch = static_cast<DWORD>(name.size()), cb = static_cast<DWORD>(data.size()),
         ::RegEnumValueA(hKey, i, name.data(), &cch, nullptr, &type, data.data(), &cb) == ERROR_SUCCESS; ++i)
        values[name.data()] = {type, std::vector<BYTE>(data.begin(), data.begin() + cb)};
    for (DWORD i = 0; cch = static_cast<DWORD>(name.size()),
         ::RegEnumKeyExA(hKey, i, name.data(), &cch, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; ++i)
    {
        const std::string sub = name.data();
        UniqueHkey subKey;
        if (::RegOpenKeyExA(hKey, sub.c_str(), 0, KEY_READ, subKey.put()) == ERROR_SUCCESS)
            Snap(subKey.get(), path.empty() ? sub : path + "\\" + sub, out);
    }
}

// Every name of either map, and whether each map has it, so that a failure names what differs.
template <typename M, typename F>
void ForEachOfBoth(const M& actual, const M& expected, const char* pszWhat, F&& compare)
{
    std::map<std::string, int> where;
    for (const auto& [name, item] : actual)
        where[name] |= 1;
    for (const auto& [name, item] : expected)
        where[name] |= 2;
    for (const auto& [name, bits] : where)
    {
        SCOPED_TRACE(std::string(pszWhat) + " \"" + name + "\"");
        EXPECT_EQ(bits, 3) << (bits == 1 ? "not expected" : "missing");
        if (bits == 3)
            compare(actual.at(name), expected.at(name));
    }
}
} // namespace

Snapshot SnapKey(const std::string& path, HKEY hRoot)
{
    Snapshot out;
    UniqueHkey key;
    if (::RegOpenKeyExA(hRoot, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS)
        Snap(key.get(), "", out);
    return out;
}

std::string TempFile(const char* pszName)
{
    char szDir[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szDir);
    return std::string(szDir) + pszName;
}

DWORD RunAndWait(std::string commandLine)
{
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return ~0u;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    DWORD dwExit = ~0u;
    if (::WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(pi.hProcess, &dwExit);
    return dwExit;
}

DWORD ImportRegFile(const std::string& file)
{
    return RunAndWait("regedit.exe /s \"" + file + "\"");
}

void ExpectSameTree(const Snapshot& actual, const Snapshot& expected)
{
    ForEachOfBoth(actual, expected, "key", [](const auto& a, const auto& e) {
        ForEachOfBoth(a, e, "value", [](const Value& va, const Value& ve) {
            EXPECT_EQ(va.first, ve.first);
            EXPECT_EQ(va.second, ve.second);
        });
    });
}

} // namespace corvasin::test
