// The uninstall command.
#include "install/Uninstall.h"

#include "core/MessageBox.h"
#include "core/Module.h"
#include "core/Result.h"
#include "core/Strings.h"
#include "install/RestartRename.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace corvasin
{

BOOL UninstallComponent(PfnUnregisterServer pfnUnregister) noexcept
{
    try
    {
        if (AppMessageBox(nullptr, c_pszUninstallQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return FALSE;
        if (pfnUnregister)
            (void)pfnUnregister();

        char szPath[MAX_PATH];
        const DWORD cch = ::GetModuleFileNameA(ModuleInstance(), szPath, MAX_PATH);
        // A path that filled the buffer may be cut off: scheduling it would delete another file.
        if (cch == 0 || cch >= MAX_PATH)
            return FALSE;
        if (MoveFileAtRestart(szPath, nullptr))
        {
            std::vector<char> text(std::strlen(c_pszUninstallNotice) + cch + 1);
            std::snprintf(text.data(), text.size(), c_pszUninstallNotice, szPath);
            AppMessageBox(nullptr, text.data(), MB_ICONINFORMATION);
        }
        return TRUE;
    }
    CATCH_RETURN(FALSE)
}

} // namespace corvasin
