// Deleting a registry key together with everything below it: one walk for the key commands,
// registration, placement and uninstalling, which differ only in what a missing key means.
#pragma once

#include <windows.h>

namespace corvasin
{

// What the delete of a key that is not there answers. Keys that vanish below it while the walk
// runs are gone either way.
enum class MissingKey
{
    Deleted, // the goal is reached: registration and uninstalling clean up what may be left
    Fails,   // nothing was deleted by us, so there is nothing to tell the shell
};

// Deletes the key pszName (a path of several keys is taken) under hParent with all its subkeys,
// leaves first, each opened below its parent's handle by its real name, as deep as the
// registry's own limit. On failure the keys deleted so far stay deleted. A null parent, or a
// null or empty name, fails: deleting "" would name hParent itself.
[[nodiscard]] bool DeleteKeyTreeW(HKEY hParent, LPCWSTR pszName, MissingKey missing) noexcept;

// The tree delete that counts a missing key as deleted, by the key's name in the code page or
// by its real name.
[[nodiscard]] BOOL DeleteRegKeyTree(HKEY hParent, LPCSTR pszName) noexcept;
[[nodiscard]] inline BOOL DeleteRegKeyTreeW(HKEY hParent, LPCWSTR pszName) noexcept
{
    return DeleteKeyTreeW(hParent, pszName, MissingKey::Deleted);
}

} // namespace corvasin
