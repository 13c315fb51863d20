// Where the registry's root is mounted in the shell: on the desktop, inside My Computer, inside
// Control Panel, or as a junction folder "Registry.{C}" in a file-system folder the user picks;
// the per-user settings that remember the place, and the move between places.
#pragma once

#include "core/Strings.h"

#include <windows.h>
#include <shlobj.h>

namespace corvasin
{

enum : DWORD
{
    PLACE_DESKTOP = 0,
    PLACE_MY_COMPUTER = 1,
    PLACE_CONTROL_PANEL = 2,
    PLACE_FOLDER = 3,
};

using PfnChangeNotify = void(WINAPI*)(LONG wEventId, UINT uFlags, LPCVOID pv1, LPCVOID pv2);

// Where placement reads and writes. The commands use the machine's and the user's keys and tell
// the shell; tests point the keys at scratch keys and watch the notifications.
struct PlacementRoots
{
    HKEY hLocalMachine = HKEY_LOCAL_MACHINE; // the mount keys
    HKEY hCurrentUser = HKEY_CURRENT_USER;   // the settings
    PfnChangeNotify pfnNotify = &::SHChangeNotify; // null: the shell is not told
};

// The settings key below the user's key, and its values.
inline constexpr const char* c_pszPlaceKey = "SOFTWARE\\Corvasin\\Place";
inline constexpr const char* c_pszPlaceType = "Type";
inline constexpr const char* c_pszPlaceLocation = "Location";
// The name of the junction folder is this text followed by the folder class id text.
inline constexpr const char* c_pszJunctionPrefix = "Registry.";

// The mount key (below HKEY_LOCAL_MACHINE) of placements 0 to 2; null for any other.
LPCSTR MountKey(DWORD dwType) noexcept;

// The stored placement type; 0 (the desktop) when none can be read.
[[nodiscard]] DWORD ReadPlacementType(const PlacementRoots& roots = {}) noexcept;
// The stored folder of placement 3 (without the junction's own name); empty when none.
CString ReadPlacementLocation(const PlacementRoots& roots = {});

// Mounts the namespace of clsidFolder at dwNewType and, when that worked, removes the old mount
// and stores the new type. Type 3 asks for the folder with the shell's folder picker. A failed
// mount shows "Failed to move folder." (owned by hwndOwner) and leaves the old place as it was.
[[nodiscard]] BOOL MoveFolder(HWND hwndOwner, DWORD dwNewType, REFCLSID clsidFolder,
                              const PlacementRoots& roots = {}) noexcept;

// For removing the component: the mounts in My Computer and Control Panel, the junction folder
// of the stored location, and the settings. The desktop mount is the removal step's own.
// bShared false keeps the junction folder and the settings, which both builds share: the other
// build is still registered and still placed there.
void RemoveOtherMounts(REFCLSID clsidFolder, const PlacementRoots& roots = {},
                       bool bShared = true) noexcept;

} // namespace corvasin
