// The uninstall command: asks, removes the registration (web view files included) and schedules
// the component's own file for deletion at the next restart.
#pragma once

#include <windows.h>

namespace corvasin
{

// The module's unregistration (DllUnregisterServer), which the top floor hands in.
using PfnUnregisterServer = HRESULT (*)() noexcept;

inline constexpr const char* c_pszUninstallQuestion =
    "This will uninstall Corvasin from your system. Are you sure you want to proceed?";
inline constexpr const char* c_pszUninstallNotice =
    "The file %s will be deleted the next time you restart your computer.";

// FALSE when the user does not answer Yes (then nothing changes) or the module's path cannot be
// read. A failed unregistration does not stop the scheduling; a failed scheduling is silent.
[[nodiscard]] BOOL UninstallComponent(PfnUnregisterServer pfnUnregister) noexcept;

} // namespace corvasin
