// Opening a place of the namespace in a shell window, the way every command of the component
// does it: a shell execute of the id list with the class "folder".
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace corvasin
{

// pszVerb "open" or "explore". The new window comes through posted messages, so the caller's
// waiting messages are dispatched afterwards when bDispatchMessages is set. FALSE when the
// shell could not open the place (Wine's finds no association for a namespace location and
// says so in an error box, unless bNoErrorUI asks it to keep quiet).
BOOL OpenInShell(HWND hwnd, LPCITEMIDLIST pidl, LPCSTR pszVerb, int nShow,
                 bool bDispatchMessages, bool bNoErrorUI = false) noexcept;

} // namespace corvasin
