// CCorvasinApp: the module's application object. It prepares the module when the DLL is loaded
// and names the module in every message box it shows.
//
// One static object; InitInstance runs under the loader lock (DllMain), so it does only what
// is safe there.
#pragma once

#include "core/MessageBox.h"

#include <windows.h>

namespace corvasin
{

class CCorvasinApp
{
public:
    constexpr CCorvasinApp() noexcept = default;
    CCorvasinApp(const CCorvasinApp&) = delete;
    CCorvasinApp& operator=(const CCorvasinApp&) = delete;

    // Called when the DLL is loaded. Always TRUE.
    BOOL InitInstance() noexcept;
    // Called when the DLL is unloaded by FreeLibrary (not at process exit). Returns 0.
    int ExitInstance() noexcept;

    // The caption of every message box the module shows.
    LPCSTR GetAppName() const noexcept { return m_pszAppName; }
    // 0: "CORVASIN_REG_PIDL", 1: "Shell IDList Array"; anything else 0.
    UINT GetClipboardFormat(int which) const noexcept;

private:
    LPCSTR m_pszAppName = "Corvasin";
};

CCorvasinApp& TheApp() noexcept;

} // namespace corvasin
