// The five files that registration writes into the Windows "Web" folder (the folders' web view
// template, the about page, its style sheet and two pictures), carried as resources of type
// "File", and the about command that opens the installed page.
#pragma once

#include "core/Strings.h"

#include <windows.h>
#include <span>

namespace corvasin
{

struct WebFile
{
    WORD idResource;
    const char* pszName;
};

// In the order they are written and deleted.
std::span<const WebFile> WebFiles() noexcept;

// The Web folder of the Windows directory, with its trailing backslash; empty when the Windows
// directory cannot be read.
CString WebFolderPath();

// Writes the embedded file idResource as pszName into the Web folder, creating the folder when
// it is missing. FALSE when the resource is missing or the file cannot be written whole (a file
// cut short is deleted again).
[[nodiscard]] BOOL WriteWebFile(WORD idResource, LPCSTR pszName) noexcept;
// Deletes pszName from the Web folder; TRUE when the file is gone (also when it never existed).
[[nodiscard]] BOOL DeleteWebFile(LPCSTR pszName) noexcept;

// All five, in order; each outcome is left to the file itself.
void WriteWebFiles() noexcept;
void DeleteWebFiles() noexcept;

// Opens the installed about page with the shell's default program for it. A failure is not
// reported.
BOOL OpenAboutPage() noexcept;

} // namespace corvasin
