// Headless pictures of the Find... command of the shown folder: the find dialog as it opens, or
// the results window once the search has said "Done!".
#pragma once

#include "BrowserHost.h"

#include <string>

namespace corvasin
{

// Runs Find... from the shown folder's own menu (as its tree node has it), fills the find
// dialog with text and either writes a picture of the frame and the dialog and cancels it
// (fDialogOnly), or presses Find and writes a picture of the frame and the results window
// once its status line reads "Done!" (or the wait ran out). S_FALSE when nothing showed.
// With fOpenFirst the first result is double-clicked then, and the picture shows the shell
// window it opens.
HRESULT CaptureFind(CBrowserHost& host, const std::wstring& text, bool fDialogOnly,
                    bool fOpenFirst, const wchar_t* pszPath, DWORD dwTimeoutMs,
                    DWORD dwSettleMs) noexcept;

} // namespace corvasin
