// A registry key of the test's own under HKCU\Software\CorvasinTest, deleted before and after.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace corvasin::test
{

class ScratchKey
{
public:
    // The key is named after the running test.
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    HKEY get() const { return m_hKey; }
    // Path below HKEY_CURRENT_USER.
    const std::string& path() const { return m_path; }

    void CreateSubkey(const std::string& name) const;
    void SetString(const char* name, const std::string& text, DWORD type = REG_SZ) const;
    void SetDword(const char* name, DWORD value) const;
    void SetBinary(const char* name, const std::vector<BYTE>& data, DWORD type = REG_BINARY) const;

private:
    std::string m_path;
    HKEY m_hKey = nullptr;
};

} // namespace corvasin::test
