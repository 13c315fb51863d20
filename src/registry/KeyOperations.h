// The changes the registry commands make, on open keys and names only: no folder, no shell,
// no UI. Each one either does all it says or leaves the registry as it found it (as far as the
// registry lets it), so that no data is lost when a step fails. Each answers S_OK for work done,
// or the failure: the registry's own Win32 code where the registry refused.
#pragma once

#include "core/Strings.h"
#include "registry/RegistryAccess.h"
#include "registry/RegistryTree.h"

#include <windows.h>

namespace corvasin
{


// Whether a name fits the 200-byte name of an item record (199 bytes and the zero) and is not
// empty: an empty value name would be the unnamed value.
bool IsUsableItemName(const CString& name) noexcept;

// Creates the subkey, or opens it when it exists; S_OK either way.
HRESULT CreateOrOpenSubkey(HKEY hParent, const char* pszName) noexcept;

// The first name among "<base>", "<base> #2", "<base> #3"... that no value of the key has.
CString FreeValueName(HKEY hKey, const char* pszBase);

// Writes cbData zero bytes (at most 16) under the name with the type.
HRESULT WriteZeroValue(HKEY hKey, const char* pszName, DWORD dwType, DWORD cbData) noexcept;

// The operations below take real (wide) names, so that they reach exactly the entry meant and
// move data byte for byte, whatever characters the names and strings hold.

// Deletes the subkey and everything below it, leaves first. A failure when the key was not
// there (ERROR_FILE_NOT_FOUND) or could not be deleted.
HRESULT DeleteKeyTree(HKEY hParent, const wchar_t* pszName) noexcept;

// Renames a value (pszOld null: the unnamed value) to a usable name (typed in the code page),
// keeping its stored bytes and the type the registry reports. The new value is written before the old one goes; another value
// of the new name is never replaced; a new spelling of the same name keeps the data.
HRESULT RenameValue(HKEY hKey, const wchar_t* pszOld, const CString& newName) noexcept;

// Renames an empty subkey (no subkeys, no values) to a usable name that no sibling has.
HRESULT RenameEmptyKey(HKEY hParent, const wchar_t* pszOld, const CString& newName) noexcept;

// Copies one value (none: the unnamed value) from one key into another under the same name and
// type, replacing a value of that name there.
HRESULT CopyValue(HKEY hTarget, HKEY hSource, const wchar_t* pszName) noexcept;

// Copies the subkey pszName of hSourceParent, with all its values and subkeys, into
// hTargetParent, merging into keys that exist there (values of the same name are replaced,
// nothing is deleted). The tree is the one the source had when the copy began: keys the copy
// itself creates inside the source are not copied again. A failure, with nothing written, when
// the source key is not there; a failure when the target key could not be created; failures
// further down leave those parts out.
HRESULT CopyKeyTree(HKEY hTargetParent, HKEY hSourceParent, const wchar_t* pszName) noexcept;

// Whether the key path pszInner (below the same predefined key) is pszOuter itself or lies
// below it; names compare without regard to case.
bool IsSameOrBelowKeyPath(const CString& outer, const CString& inner) noexcept;

} // namespace corvasin
