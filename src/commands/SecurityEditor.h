// The system's access-control editor (EditSecurity of aclui.dll), found at run time once per
// process, with a replacement that does nothing where the editor is missing.
#pragma once

#include <windows.h>
#include <aclui.h>
#include <atomic>

namespace corvasin
{

using EditSecurityFunction = BOOL(WINAPI*)(HWND hwndOwner, LPSECURITYINFO pSecurityInfo);

// The function that slot remembers; on the first call (an empty slot) the "EditSecurity" of
// pszLibrary, loaded by name and kept loaded, or when the library or the function is missing a
// replacement that does nothing and returns FALSE. Either is remembered: later calls never
// load again.
EditSecurityFunction FindSecurityEditor(std::atomic<EditSecurityFunction>& slot,
                                        const char* pszLibrary) noexcept;

// The process's editor: aclui.dll's, remembered for the process's life.
EditSecurityFunction SecurityEditor() noexcept;

} // namespace corvasin
