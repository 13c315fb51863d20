// Deleting a registry key together with everything below it, as registration, placement and
// uninstalling need it.
#pragma once

#include <windows.h>

namespace corvasin
{

// Deletes the key pszName under hParent with all its subkeys. A missing key counts as deleted.
// On failure the keys deleted so far stay deleted. A null or empty name is refused: deleting
// "" would name hParent itself.
[[nodiscard]] BOOL DeleteRegKeyTree(HKEY hParent, LPCSTR pszName) noexcept;
// The same by the key's real name. The walk below it always goes by real names.
[[nodiscard]] BOOL DeleteRegKeyTreeW(HKEY hParent, LPCWSTR pszName) noexcept;

} // namespace corvasin
