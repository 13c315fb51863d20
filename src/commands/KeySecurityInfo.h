// The Security... command: a key folder's key as the system's access-control editor sees it
// (ISecurityInformation), with the registry's access rights, generic mapping and inheritance
// choices.
#pragma once

#include "core/ComPtr.h"

#include <windows.h>
#include <aclui.h>

namespace corvasin
{

class CRegkeyExtension;

// The editor's view of the folder's key; it holds the folder while the editor holds it.
ComPtr<ISecurityInformation> MakeKeySecurityInformation(CRegkeyExtension& folder) noexcept;

// Opens the editor on the folder's key, owned by hwndOwner: S_OK when the editor reported
// success, S_FALSE when it did not (or the system has no editor).
HRESULT EditKeySecurity(CRegkeyExtension& folder, HWND hwndOwner) noexcept;

} // namespace corvasin
