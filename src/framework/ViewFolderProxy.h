// The folder that the shell's default view is given. It forwards every call to the real folder
// and, when the view lets go of it, tells the folder that its recorded view is gone: the view's
// release message never arrives under Wine, so this is how the record is cleared there too.
#pragma once

#include "core/CmdTargetPtr.h"
#include "core/ComObject.h"

#include <shlobj.h>

namespace corvasin
{

class CNameSpaceExtension;

class CViewFolderProxy final : public CComObject<CViewFolderProxy, IShellFolder2>
{
public:
    // Holds a counted reference on the folder for its whole life.
    explicit CViewFolderProxy(CNameSpaceExtension* pFolder) noexcept;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;

    STDMETHODIMP ParseDisplayName(HWND, LPBC, LPOLESTR, ULONG*, LPITEMIDLIST*, ULONG*) override;
    STDMETHODIMP EnumObjects(HWND, SHCONTF, IEnumIDList**) override;
    STDMETHODIMP BindToObject(LPCITEMIDLIST, LPBC, REFIID, void**) override;
    STDMETHODIMP BindToStorage(LPCITEMIDLIST, LPBC, REFIID, void**) override;
    STDMETHODIMP CompareIDs(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST) override;
    STDMETHODIMP CreateViewObject(HWND, REFIID, void**) override;
    STDMETHODIMP GetAttributesOf(UINT, LPCITEMIDLIST*, SFGAOF*) override;
    STDMETHODIMP GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void**) override;
    STDMETHODIMP GetDisplayNameOf(LPCITEMIDLIST, SHGDNF, STRRET*) override;
    STDMETHODIMP SetNameOf(HWND, LPCITEMIDLIST, LPCOLESTR, SHGDNF, LPITEMIDLIST*) override;
    STDMETHODIMP GetDefaultSearchGUID(GUID*) override;
    STDMETHODIMP EnumSearches(IEnumExtraSearch**) override;
    STDMETHODIMP GetDefaultColumn(DWORD, ULONG*, ULONG*) override;
    STDMETHODIMP GetDefaultColumnState(UINT, SHCOLSTATEF*) override;
    STDMETHODIMP GetDetailsEx(LPCITEMIDLIST, const SHCOLUMNID*, VARIANT*) override;
    STDMETHODIMP GetDetailsOf(LPCITEMIDLIST, UINT, SHELLDETAILS*) override;
    STDMETHODIMP MapColumnToSCID(UINT, SHCOLUMNID*) override;

private:
    ~CViewFolderProxy() override;
    friend class CComObject<CViewFolderProxy, IShellFolder2>;

    CmdTargetPtr<CNameSpaceExtension> m_pFolder;
    IShellFolder2* m_psf; // the folder's own part, alive as long as m_pFolder
};

} // namespace corvasin
