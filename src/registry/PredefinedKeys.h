// The predefined keys: handle values, long and short names, listing order, the descriptions
// shown as info tips, and which of them registration files name. The only list of them.
#pragma once

#include "core/WindowsVersion.h"

#include <windows.h>
#include <span>

namespace corvasin
{

struct PredefinedKey
{
    HKEY hKey;
    const char* pszLongName;
    const char* pszShortName; // null: the key has none
    const char* pszDescription; // null: no info tip
    // Registration files name it: not the two that hold no settings of their own (statistics
    // made on each read, and the dynamic data of Windows 9x).
    bool bNamedInFiles;
};

// The description of the registry itself, the root folder's info tip.
extern const char* const c_pszRegistryDescription;

// The six keys in listing order for this platform: HKEY_PERFORMANCE_DATA last on Windows NT
// platforms, HKEY_DYN_DATA elsewhere. The platform is asked afresh on every call.
const PredefinedKey* PredefinedKeyAt(UINT nPosition) noexcept;
constexpr UINT kPredefinedKeyCount = 6;

// Every entry, both platforms' last key included, in listing order.
constexpr UINT kPredefinedKeyTableSize = 7;
std::span<const PredefinedKey, kPredefinedKeyTableSize> AllPredefinedKeys() noexcept;

// The entry of a handle, or null.
const PredefinedKey* FindPredefinedKey(HKEY hKey) noexcept;

// An item id names a predefined key in a 32-bit field, so that ids keep their bytes on x86 and
// x64: the field holds the handle's low 32 bits. On x64 the handles are those bits
// sign-extended (HKEY_CURRENT_USER is 0xFFFFFFFF80000001), so turning a field back into a
// handle is done here alone.
DWORD PredefinedKeyField(HKEY hKey) noexcept;

// The predefined key a field names, or null when it names none: ids may come from another
// process, and any other number could be a key this process has open.
HKEY PredefinedKeyFromField(DWORD dwField) noexcept;

// The entry whose long or short name equals the text without regard to case, or null.
const PredefinedKey* FindPredefinedKeyByName(const char* pszName) noexcept;


} // namespace corvasin
