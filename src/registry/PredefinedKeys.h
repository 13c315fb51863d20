// The predefined keys the registry root lists: handle values, long and short names, listing
// order and the descriptions shown as info tips.
#pragma once

#include "core/WindowsVersion.h"

#include <windows.h>

namespace corvasin
{

struct PredefinedKey
{
    DWORD dwHandle;
    const char* pszLongName;
    const char* pszShortName; // null: the key has none
    const char* pszDescription; // null: no info tip
};

// The description of the registry itself, the root folder's info tip.
extern const char* const c_pszRegistryDescription;

// The six keys in listing order for this platform: HKEY_PERFORMANCE_DATA last on Windows NT
// platforms, HKEY_DYN_DATA elsewhere. The platform is asked afresh on every call.
const PredefinedKey* PredefinedKeyAt(UINT nPosition) noexcept;
constexpr UINT kPredefinedKeyCount = 6;

// The entry of a handle value, or null.
const PredefinedKey* FindPredefinedKey(DWORD dwHandle) noexcept;

// The entry whose long or short name equals the text without regard to case, or null.
const PredefinedKey* FindPredefinedKeyByName(const char* pszName) noexcept;


} // namespace corvasin
