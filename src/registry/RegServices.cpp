// The record's answers where no floor above fills it in: nothing is made and nothing runs.
#include "registry/RegServices.h"

namespace corvasin
{

namespace
{
class CNoRegServices final : public CRegServices
{
};
const CNoRegServices c_noServices;
} // namespace

const CRegServices& NoRegServices() noexcept { return c_noServices; }

CCmdTarget* CRegServices::CreateUIObject(CRegkeyExtension&, UINT, LPCITEMIDLIST*, HWND) const noexcept
{
    return nullptr;
}

HRESULT CRegServices::DeleteItems(CRegkeyExtension&, UINT, LPCITEMIDLIST*, HWND) const noexcept
{
    return E_NOTIMPL;
}

HRESULT CRegServices::RenameItem(CRegkeyExtension&, REGITEM&, const CString&) const noexcept
{
    return E_NOTIMPL;
}

HRESULT CRegServices::Drop(CRegkeyExtension&, IDataObject*) const noexcept { return E_NOTIMPL; }

HRESULT CRegServices::FindItems(CRegkeyExtension&, UINT, LPCITEMIDLIST*, HWND) const noexcept
{
    return E_NOTIMPL;
}

HRESULT CRegServices::EditKeySecurity(CRegkeyExtension&, HWND) const noexcept { return E_NOTIMPL; }

HRESULT CRegServices::RunViewCommand(CRegkeyExtension&, UINT, UINT, LPCITEMIDLIST*, HWND) const noexcept
{
    return E_NOTIMPL;
}

BOOL CRegServices::MoveFolder(HWND, DWORD) const noexcept { return FALSE; }

} // namespace corvasin
