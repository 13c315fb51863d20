// The base of the big COM objects (folders, UI objects): one external reference count and an
// interface map. Each interface is a nested part (XShellFolder, XDataObject...) that forwards
// IUnknown to its outer object, so a virtual operation may share a name with an interface method.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <atomic>

namespace corvasin
{

class CCmdTarget
{
public:
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    HRESULT ExternalQueryInterface(REFIID riid, void** ppv) noexcept;
    ULONG ExternalAddRef() noexcept { return ++m_dwRef; }
    ULONG ExternalRelease() noexcept;

    // The interface map: the part serving riid, or null. Derived classes look at their own
    // entries first and then ask their base; IUnknown is answered by the first entry.
    virtual void* GetInterface(REFIID riid) noexcept = 0;

protected:
    CCmdTarget() noexcept = default;
    virtual ~CCmdTarget() = default;
    // The last release deletes the object.
    virtual void OnFinalRelease() noexcept { delete this; }

    std::atomic<ULONG> m_dwRef{1};
};

// A nested interface part: IUnknown goes to the outer object.
template <typename Outer, typename Interface>
class CInterfacePart : public Interface
{
public:
    explicit CInterfacePart(Outer* pOuter) noexcept : m_pThis(pOuter) {}
    CInterfacePart(const CInterfacePart&) = delete;
    CInterfacePart& operator=(const CInterfacePart&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return m_pThis->ExternalQueryInterface(riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_pThis->ExternalAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_pThis->ExternalRelease(); }

protected:
    Outer* const m_pThis;
};

} // namespace corvasin
