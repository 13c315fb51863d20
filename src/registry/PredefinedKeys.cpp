// The predefined key table.
#include "registry/PredefinedKeys.h"

namespace corvasin
{

const char* const c_pszRegistryDescription =
    "The registry contains all your computer's settings.\n"
    "Use this item to view/change your computer's settings.\n"
    "User-specific settings are in HKEY_CURRENT_USER, global settings for the computer in "
    "HKEY_LOCAL_MACHINE.\n"
    "Be very careful when editing the registry. Changing certain settings can render your "
    "computer unusable.";

namespace
{
const PredefinedKey c_keys[] = {
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM",
     "HKEY_LOCAL_MACHINE contains all global settings for your computer.", true},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU",
     "HKEY_CURRENT_USER contains all settings that are specific for the user that is currently "
     "logged on.\nIt is mapped to one of the users in HKEY_USERS.", true},
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR",
     "HKEY_CLASSES_ROOT contains information about file extensions and COM objects.It is mapped "
     "to HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes.", true},
    {HKEY_USERS, "HKEY_USERS", nullptr,
     "HKEY_USERS contains settings specific for every user of this computer, and the default "
     "settings to use for a new computer.", true},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "HKCC",
     "HKEY_CURRENT_CONFIG contains settings specific for the currently loaded configuration.", true},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA", "HKPD",
     "HKEY_PERFORMANCE_DATA contains statistics about all running processes, as you can see them "
     "in tast manager.", false},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA", "HKDD", nullptr, false},
};
constexpr UINT kPerformanceData = 5;
constexpr UINT kDynData = 6;
} // namespace

const PredefinedKey* PredefinedKeyAt(UINT nPosition) noexcept
{
    if (nPosition < kPredefinedKeyCount - 1)
        return &c_keys[nPosition];
    if (nPosition == kPredefinedKeyCount - 1)
        return &c_keys[IsWindowsNtPlatform() ? kPerformanceData : kDynData];
    return nullptr;
}

std::span<const PredefinedKey, kPredefinedKeyTableSize> AllPredefinedKeys() noexcept
{
    return c_keys;
}

const PredefinedKey* FindPredefinedKey(HKEY hKey) noexcept
{
    for (const PredefinedKey& key : c_keys)
    {
        if (key.hKey == hKey)
            return &key;
    }
    return nullptr;
}

DWORD PredefinedKeyField(HKEY hKey) noexcept
{
    return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(hKey));
}

HKEY PredefinedKeyFromField(DWORD dwField) noexcept
{
    // Through LONG so that x64 sign-extends, as the system's own HKEY_* constants do.
    const HKEY hKey = reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(dwField)));
    return FindPredefinedKey(hKey) ? hKey : nullptr;
}

const PredefinedKey* FindPredefinedKeyByName(const char* pszName) noexcept
{
    if (!pszName)
        return nullptr;
    for (const PredefinedKey& key : c_keys)
    {
        if (lstrcmpiA(pszName, key.pszLongName) == 0 ||
            (key.pszShortName && lstrcmpiA(pszName, key.pszShortName) == 0))
            return &key;
    }
    return nullptr;
}

} // namespace corvasin
