// What DllGetClassObject and DllCanUnloadNow answer; the DLL's exports forward here.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace corvasin
{

// The folder factory for the folder class id, the UI object factory for the UI object class
// id, each only as IClassFactory or IUnknown. *ppv is null on every failure.
[[nodiscard]] HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) noexcept;
// S_OK while nothing counts in g_nLockCount, else S_FALSE.
[[nodiscard]] HRESULT CanUnloadNow() noexcept;

// DllRegisterServer and DllUnregisterServer: the folder factory's classes, then the shell
// entries of the installation (or their removal).
[[nodiscard]] HRESULT RegisterServer() noexcept;
[[nodiscard]] HRESULT UnregisterServer() noexcept;

} // namespace corvasin
