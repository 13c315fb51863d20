// A key's security descriptor, read and written on an open key: no folder, no UI.
#pragma once

#include <windows.h>

namespace corvasin
{

// The parts si asks for of the key's descriptor, in a block the caller frees with LocalFree.
HRESULT ReadKeySecurity(HKEY hKey, SECURITY_INFORMATION si,
                        PSECURITY_DESCRIPTOR* ppDescriptor) noexcept;

// Writes the descriptor to the key and, when si holds a tree flag (SI_OWNER_RECURSE,
// SI_RESET_DACL_TREE, SI_RESET_SACL_TREE), to every key below it, each with the standard parts
// of the information only. Keys below that cannot be opened or written keep their security; the
// result is that of the key's own write.
HRESULT WriteKeySecurity(HKEY hKey, SECURITY_INFORMATION si,
                         PSECURITY_DESCRIPTOR pDescriptor) noexcept;

} // namespace corvasin
