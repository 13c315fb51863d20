// Base of the small COM objects (enumerators, icon extractors, format enumerator, the
// clipboard's text): an atomic count, QueryInterface over the listed interfaces, deletion on the
// last Release. Each one holds the module while it lives: the clipboard or a caller may keep it
// long after the call that made it, and the DLL must not be unloaded under it.
#pragma once

#include "core/ComPtr.h"
#include "core/Module.h"

#include <windows.h>
#include <unknwn.h>
#include <atomic>
#include <new>

namespace corvasin
{

template <typename Derived, typename... Interfaces>
class CComObject : public Interfaces...
{
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown)
            *ppv = static_cast<FirstInterface*>(this);
        else
            (TryInterface<Interfaces>(riid, ppv) || ...);
        if (!*ppv)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG cRef = --m_cRef;
        if (cRef == 0)
            delete static_cast<Derived*>(this);
        return cRef;
    }

protected:
    CComObject() noexcept { ++g_nLockCount; }
    virtual ~CComObject() { --g_nLockCount; }
    CComObject(const CComObject&) = delete;
    CComObject& operator=(const CComObject&) = delete;

    std::atomic<ULONG> m_cRef{1};

private:
    template <typename First, typename...> struct Head { using type = First; };
    using FirstInterface = typename Head<Interfaces...>::type;

    template <typename I>
    bool TryInterface(REFIID riid, void** ppv) noexcept
    {
        if (riid != __uuidof(I))
            return false;
        *ppv = static_cast<I*>(this);
        return true;
    }
};

// Makes an object with its one creation reference and hands out the interface asked for.
template <typename T, typename... Args>
HRESULT CreateComObject(REFIID riid, void** ppv, Args&&... args) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // The creation reference goes when this returns: the caller holds the one QueryInterface gave.
    const auto p = ComPtr<T>::Attach(new (std::nothrow) T(std::forward<Args>(args)...));
    if (!p)
        return E_OUTOFMEMORY;
    return p->QueryInterface(riid, ppv);
}

} // namespace corvasin
