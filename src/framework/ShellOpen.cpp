// Shell execute of a namespace location.
#include "framework/ShellOpen.h"

#include "core/MessagePump.h"

#include <shellapi.h>

namespace corvasin
{

BOOL OpenInShell(HWND hwnd, LPCITEMIDLIST pidl, LPCSTR pszVerb, int nShow,
                 bool bDispatchMessages, bool bNoErrorUI) noexcept
{
    SHELLEXECUTEINFOA sei = {};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_IDLIST | SEE_MASK_CLASSNAME | (bNoErrorUI ? SEE_MASK_FLAG_NO_UI : 0);
    sei.hwnd = hwnd;
    sei.lpVerb = pszVerb;
    sei.lpIDList = const_cast<LPITEMIDLIST>(pidl);
    sei.lpClass = "folder";
    sei.nShow = nShow;
    const BOOL bOpened = ::ShellExecuteExA(&sei);
    if (bDispatchMessages)
        DispatchWaitingMessages();
    return bOpened;
}

} // namespace corvasin
