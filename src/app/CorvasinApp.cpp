// The application object: start-up of the module and the caption of its message boxes.
#include "app/CorvasinApp.h"

#include "app/ClipboardFormats.h"

namespace corvasin
{

namespace
{
constinit CCorvasinApp g_app;
} // namespace

CCorvasinApp& TheApp() noexcept
{
    return g_app;
}

BOOL CCorvasinApp::InitInstance() noexcept
{
    // Under the loader lock: registering the formats only adds atoms in user32, which is
    // loaded and initialised before us (a static import); nothing here loads a library or waits
    // for another thread. The shell's item id functions are imported by name, so shell32 needs
    // no LoadLibrary either.
    RegisterClipboardFormats();
    SetMessageBoxCaption(m_pszAppName);
    return TRUE;
}

int CCorvasinApp::ExitInstance() noexcept
{
    // Nothing to give back: the formats are system-wide atoms and shell32 is a static import.
    return 0;
}

UINT CCorvasinApp::GetClipboardFormat(int which) const noexcept
{
    if (which != kCfRegPidl && which != kCfShellIdList)
        return 0;
    return corvasin::GetClipboardFormat(which);
}

} // namespace corvasin
