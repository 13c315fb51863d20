// Move-only owners for the Win32 handles and memory blocks the component holds: one template,
// one line per handle kind. Ownership leaves only through release().
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <utility>

namespace corvasin
{

template <typename T, auto Close, T Invalid = T{}>
class UniqueAny
{
public:
    UniqueAny() noexcept = default;
    explicit UniqueAny(T value) noexcept : m_value(value) {}
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : m_value(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~UniqueAny() { reset(); }

    T get() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return m_value != Invalid; }

    // For out-parameters: frees what is held and hands out the slot.
    T* put() noexcept
    {
        reset();
        return &m_value;
    }

    void reset(T value = Invalid) noexcept
    {
        T old = m_value;
        m_value = value;
        if (old != Invalid)
            Close(old);
    }

    [[nodiscard]] T release() noexcept
    {
        T value = m_value;
        m_value = Invalid;
        return value;
    }

private:
    T m_value = Invalid;
};

namespace detail
{
// Predefined keys (HKEY_CLASSES_ROOT and above, sign-extended on x64) are never closed.
inline void CloseKey(HKEY hKey) noexcept
{
    if (reinterpret_cast<ULONG_PTR>(hKey) < reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT))
        ::RegCloseKey(hKey);
}
inline void FreePidl(LPITEMIDLIST pidl) noexcept { ::ILFree(pidl); }
inline void FreeCoTaskMem(void* pv) noexcept { ::CoTaskMemFree(pv); }
inline void FreeGlobal(HGLOBAL h) noexcept { ::GlobalFree(h); }
inline void FreeLocal(HLOCAL h) noexcept { ::LocalFree(h); }
inline void DestroyMenuHandle(HMENU h) noexcept { ::DestroyMenu(h); }
inline void CloseHandleValue(HANDLE h) noexcept { ::CloseHandle(h); }
inline void DeleteGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void DeleteDc(HDC h) noexcept { ::DeleteDC(h); }
inline void FreeLibraryHandle(HMODULE h) noexcept { ::FreeLibrary(h); }
inline void DestroyWindowHandle(HWND h) noexcept { ::DestroyWindow(h); }
inline void FreeBstr(BSTR b) noexcept { ::SysFreeString(b); }
inline void DestroySafeArray(SAFEARRAY* psa) noexcept { ::SafeArrayDestroy(psa); }
inline void CloseFindHandle(HANDLE h) noexcept { ::FindClose(h); }
inline void UnhookHook(HHOOK h) noexcept { ::UnhookWindowsHookEx(h); }
} // namespace detail

using UniqueHkey = UniqueAny<HKEY, detail::CloseKey>;
using UniquePidl = UniqueAny<LPITEMIDLIST, detail::FreePidl>;
using UniqueCoTaskMem = UniqueAny<void*, detail::FreeCoTaskMem>;
using UniqueHGlobal = UniqueAny<HGLOBAL, detail::FreeGlobal>;
using UniqueHlocal = UniqueAny<HLOCAL, detail::FreeLocal>;
using UniqueHmenu = UniqueAny<HMENU, detail::DestroyMenuHandle>;
using UniqueHandle = UniqueAny<HANDLE, detail::CloseHandleValue>;
using UniqueGdiObject = UniqueAny<HGDIOBJ, detail::DeleteGdiObject>;
using UniqueHdc = UniqueAny<HDC, detail::DeleteDc>;
using UniqueHmodule = UniqueAny<HMODULE, detail::FreeLibraryHandle>;
using UniqueHwnd = UniqueAny<HWND, detail::DestroyWindowHandle>;
using UniqueBstr = UniqueAny<BSTR, detail::FreeBstr>;
using UniqueSafeArray = UniqueAny<SAFEARRAY*, detail::DestroySafeArray>;
// FindFirstFile fails with INVALID_HANDLE_VALUE: test for it before the handle is put in here.
using UniqueFindHandle = UniqueAny<HANDLE, detail::CloseFindHandle>;
using UniqueHhook = UniqueAny<HHOOK, detail::UnhookHook>;

// A STGMEDIUM that is released with ReleaseStgMedium.
class UniqueStgMedium
{
public:
    UniqueStgMedium() noexcept { ZeroMemory(&m_medium, sizeof(m_medium)); }
    UniqueStgMedium(const UniqueStgMedium&) = delete;
    UniqueStgMedium& operator=(const UniqueStgMedium&) = delete;
    ~UniqueStgMedium() { reset(); }

    STGMEDIUM* put() noexcept
    {
        reset();
        return &m_medium;
    }
    const STGMEDIUM& get() const noexcept { return m_medium; }
    void reset() noexcept
    {
        if (m_medium.tymed != TYMED_NULL)
            ::ReleaseStgMedium(&m_medium);
        ZeroMemory(&m_medium, sizeof(m_medium));
    }

private:
    STGMEDIUM m_medium;
};

// Locks a global memory block for the scope.
class GlobalLock
{
public:
    explicit GlobalLock(HGLOBAL h) noexcept : m_h(h), m_p(h ? ::GlobalLock(h) : nullptr) {}
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;
    ~GlobalLock()
    {
        if (m_p)
            ::GlobalUnlock(m_h);
    }
    void* get() const noexcept { return m_p; }
    template <typename T> T* as() const noexcept { return static_cast<T*>(m_p); }

private:
    HGLOBAL m_h;
    void* m_p;
};

} // namespace corvasin
