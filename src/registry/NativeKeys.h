// The two things the registry's Win32 calls cannot do, from the system's native layer: delete a
// key through a handle already open on it, and tell the key a handle stands for.
#pragma once

#include <windows.h>
#include <string>

namespace corvasin
{

// Deletes the key hKey is open on (with DELETE access); it must hold no subkeys. S_OK or the
// registry's own Win32 code.
HRESULT DeleteOpenKey(HKEY hKey) noexcept;

// The key's full name in the registry's own namespace ("\REGISTRY\USER\S-1-5-...\Software"),
// the same whichever predefined key or link it was opened through. False when it cannot be told.
bool FullKeyName(HKEY hKey, std::wstring& name) noexcept;

// Whether the key hInner is open on may be the key hOuter is open on, or lie below it: true
// when it does, and when either name cannot be told.
bool MayBeSameOrBelowKey(HKEY hOuter, HKEY hInner) noexcept;

} // namespace corvasin
