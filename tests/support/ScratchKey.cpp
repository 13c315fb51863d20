#include "support/ScratchKey.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

namespace corvasin::test
{

ScratchKey::ScratchKey()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_path = std::string("Software\\CorvasinTest\\") + (info ? info->test_suite_name() : "x") + "." +
             (info ? info->name() : "y");
    ::SHDeleteKeyA(HKEY_CURRENT_USER, m_path.c_str());
    ::RegCreateKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &m_hKey, nullptr);
}

ScratchKey::~ScratchKey()
{
    if (m_hKey)
        ::RegCloseKey(m_hKey);
    ::SHDeleteKeyA(HKEY_CURRENT_USER, m_path.c_str());
}

void ScratchKey::CreateSubkey(const std::string& name) const
{
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(m_hKey, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                                nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(hKey);
}

void ScratchKey::SetString(const char* name, const std::string& text, DWORD type) const
{
    ASSERT_EQ(::RegSetValueExA(m_hKey, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
}

void ScratchKey::SetDword(const char* name, DWORD value) const
{
    ASSERT_EQ(::RegSetValueExA(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                               sizeof(value)),
              ERROR_SUCCESS);
}

void ScratchKey::SetBinary(const char* name, const std::vector<BYTE>& data, DWORD type) const
{
    ASSERT_EQ(::RegSetValueExA(m_hKey, name, 0, type, data.empty() ? nullptr : data.data(),
                               static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

} // namespace corvasin::test
