// CEnumIDList: the item enumerator of EnumObjects. It holds one item's data at a time and asks
// the folder for the item after the one it delivered last, so no list of items is ever built.
#pragma once

#include "core/CmdTargetPtr.h"
#include "core/ComObject.h"
#include "core/Handles.h"

#include <shlobj.h>
#include <urlmon.h>
#include <memory>

namespace corvasin
{

class CNameSpaceExtension;

class CEnumIDList final : public CComObject<CEnumIDList, IEnumIDList, IInternetSecurityManager>
{
public:
    // Holds a counted reference on the folder; clones pidlFolder.
    CEnumIDList(CNameSpaceExtension* pFolder, LPCITEMIDLIST pidlFolder, DWORD grfFlags) noexcept;

    // IEnumIDList
    STDMETHODIMP Next(ULONG celt, LPITEMIDLIST* rgelt, ULONG* pceltFetched) override;
    STDMETHODIMP Skip(ULONG celt) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumIDList** ppenum) override;

    // IInternetSecurityManager: nothing is implemented.
    STDMETHODIMP SetSecuritySite(IInternetSecurityMgrSite*) override { return E_NOTIMPL; }
    STDMETHODIMP GetSecuritySite(IInternetSecurityMgrSite**) override { return E_NOTIMPL; }
    STDMETHODIMP MapUrlToZone(LPCWSTR, DWORD*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetSecurityId(LPCWSTR, BYTE*, DWORD*, DWORD_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP ProcessUrlAction(LPCWSTR, DWORD, BYTE*, DWORD, BYTE*, DWORD, DWORD,
                                  DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP QueryCustomPolicy(LPCWSTR, REFGUID, BYTE**, DWORD*, BYTE*, DWORD, DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP SetZoneMapping(DWORD, LPCWSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetZoneMappings(DWORD, IEnumString**, DWORD) override { return E_NOTIMPL; }

private:
    ~CEnumIDList() override;
    friend class CComObject<CEnumIDList, IEnumIDList, IInternetSecurityManager>;

    // Moves to the next item: the first one when not started. False at the end.
    bool Advance() noexcept;

    CmdTargetPtr<CNameSpaceExtension> m_pFolder;
    UINT m_cbItem;
    std::unique_ptr<BYTE[]> m_pCurrent; // the last item delivered; null before and after
    std::unique_ptr<BYTE[]> m_pScratch;
    UniquePidl m_pidlFolder;
    DWORD m_dwContext = 0;
    DWORD m_grfFlags;
};

} // namespace corvasin
