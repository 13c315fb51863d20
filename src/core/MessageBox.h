// The module's few message boxes (delete confirmations, "Failed to move folder.", the uninstall
// question and notice), all captioned with the application's name.
#pragma once

#include <windows.h>

namespace corvasin
{

// The caption of every message box; "Corvasin" unless the application object sets another.
LPCSTR MessageBoxCaption() noexcept;
void SetMessageBoxCaption(LPCSTR pszCaption) noexcept;

// A message box captioned with the application name.
int AppMessageBox(HWND hwndOwner, LPCSTR pszText, UINT uType) noexcept;

} // namespace corvasin
