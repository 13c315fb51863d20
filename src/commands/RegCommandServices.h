// CRegCommandServices: the part of the services record that the commands floor fills in: the
// UI object of a selection and the key folder's command entry points, each done by the one
// command that does it for the menus too. The product's top floor derives from it and adds what
// only it knows (class ids, the clipboard format, installation commands).
#pragma once

#include "registry/RegServices.h"

namespace corvasin
{

class CRegCommandServices : public CRegServices
{
public:
    CCmdTarget* CreateUIObject(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl,
                               HWND hwndOwner) const noexcept override;
    HRESULT DeleteItems(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl,
                        HWND hwndOwner) const noexcept override;
    HRESULT RenameItem(CRegkeyExtension& folder, REGITEM& item,
                       const CString& newName) const noexcept override;
    HRESULT Drop(CRegkeyExtension& folder, IDataObject* pDataObject) const noexcept override;
    HRESULT FindItems(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl,
                      HWND hwndOwner) const noexcept override;
    HRESULT EditKeySecurity(CRegkeyExtension& folder, HWND hwndOwner) const noexcept override;
    UINT ViewButtonCount() const noexcept override;
    UINT ViewButtonCommand(UINT iButton) const noexcept override;
    const char* ViewCommandHelp(UINT offset) const noexcept override;
    HRESULT RunViewCommand(CRegkeyExtension& folder, UINT offset, UINT cidl, LPCITEMIDLIST* apidl,
                           HWND hwndOwner) const noexcept override;

protected:
    ~CRegCommandServices() = default;
};

} // namespace corvasin
