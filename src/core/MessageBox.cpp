// The caption every message box of the module carries.
#include "core/MessageBox.h"

#include <atomic>

namespace corvasin
{

namespace
{
// Set once at start-up; read on any thread.
std::atomic<LPCSTR> g_pszCaption{"Corvasin"};
} // namespace

LPCSTR MessageBoxCaption() noexcept { return g_pszCaption.load(); }

void SetMessageBoxCaption(LPCSTR pszCaption) noexcept
{
    if (pszCaption)
        g_pszCaption.store(pszCaption);
}

int AppMessageBox(HWND hwndOwner, LPCSTR pszText, UINT uType) noexcept
{
    return ::MessageBoxA(hwndOwner, pszText, MessageBoxCaption(), uType);
}

} // namespace corvasin
