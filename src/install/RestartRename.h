// Renaming or deleting a file at the next restart: the system's delayed file operations, and
// the old "[Rename]" list of "WinInit.Ini" where those are missing.
#pragma once

#include <windows.h>

namespace corvasin
{

// Schedules pszExisting to become pszNew, or with pszNew null to be deleted, at the next restart.
// Uses the rename list exactly when the system refuses the delayed move.
[[nodiscard]] BOOL MoveFileAtRestart(LPCSTR pszExisting, LPCSTR pszNew) noexcept;

// Puts "<new or NUL>=<existing>" as the first entry of the "[Rename]" section of
// pszDirectory\WinInit.Ini, adding the section at the end when it is missing. Every line already
// in the file stays. MoveFileAtRestart passes the Windows directory.
[[nodiscard]] BOOL AddRenameEntry(LPCSTR pszDirectory, LPCSTR pszExisting, LPCSTR pszNew) noexcept;

} // namespace corvasin
