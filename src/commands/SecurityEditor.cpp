// Finding the access-control editor once per process.
#include "commands/SecurityEditor.h"

#include "core/Handles.h"

namespace corvasin
{

namespace
{
BOOL WINAPI NoSecurityEditor(HWND, LPSECURITYINFO) { return FALSE; }

std::atomic<EditSecurityFunction> g_pfnSecurityEditor{nullptr};
} // namespace

EditSecurityFunction FindSecurityEditor(std::atomic<EditSecurityFunction>& slot,
                                        const char* pszLibrary) noexcept
{
    if (EditSecurityFunction pfn = slot.load())
        return pfn;
    EditSecurityFunction pfnFound = &NoSecurityEditor;
    // The library stays loaded for the process's life: the remembered function lives in it.
    if (UniqueHmodule hLibrary{::LoadLibraryA(pszLibrary)})
    {
        if (const FARPROC pfn = ::GetProcAddress(hLibrary.get(), "EditSecurity"))
        {
            pfnFound = reinterpret_cast<EditSecurityFunction>(reinterpret_cast<void*>(pfn));
            (void)hLibrary.release();
        }
    }
    // Two threads racing here both find the same function; the first one stored wins.
    EditSecurityFunction pfnExpected = nullptr;
    if (!slot.compare_exchange_strong(pfnExpected, pfnFound))
        return pfnExpected;
    return pfnFound;
}

EditSecurityFunction SecurityEditor() noexcept
{
    return FindSecurityEditor(g_pfnSecurityEditor, "aclui.dll");
}

} // namespace corvasin
