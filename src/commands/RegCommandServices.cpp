// The key folder's command entry points, handed to the commands that the menus run too.
#include "commands/RegCommandServices.h"

#include "commands/ChangeCommands.h"
#include "commands/CommandTable.h"
#include "commands/ImportCommand.h"
#include "commands/KeySecurityInfo.h"
#include "commands/RegUIObject.h"
#include "framework/DroppedFiles.h"
#include "registry/RegkeyExtension.h"

#include <new>

namespace corvasin
{

namespace
{
std::span<const LPCITEMIDLIST> Items(UINT cidl, LPCITEMIDLIST* apidl) noexcept
{
    return apidl ? std::span<const LPCITEMIDLIST>(apidl, cidl) : std::span<const LPCITEMIDLIST>();
}

// The toolbar's rows, in table order; null past the last.
const CommandRow* ToolbarRow(UINT i) noexcept
{
    for (const CommandRow& row : CommandRows())
    {
        if ((row.places & kOnToolbar) && i-- == 0)
            return &row;
    }
    return nullptr;
}

HRESULT RunRow(const CRegServices& services, CRegkeyExtension& folder, UINT offset, UINT cidl,
               LPCITEMIDLIST* apidl, HWND hwndOwner, bool bFromView) noexcept
{
    const CommandRow* pRow = FindCommand(offset);
    if (!pRow || !pRow->pfnRun)
        return E_INVALIDARG;
    CommandCall call{services, &folder, Items(cidl, apidl), hwndOwner, pRow->dwParam};
    call.bFromView = bFromView;
    return pRow->pfnRun(call);
}
} // namespace

CCmdTarget* CRegCommandServices::CreateUIObject(CRegkeyExtension& folder, UINT cidl,
                                                LPCITEMIDLIST* apidl, HWND hwndOwner) const noexcept
{
    return new (std::nothrow) CRegUIObject(*this, &folder, cidl, apidl, folder.GetPidl(), hwndOwner);
}

HRESULT CRegCommandServices::DeleteItems(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl,
                                         HWND hwndOwner) const noexcept
{
    return corvasin::DeleteItems(folder, Items(cidl, apidl), hwndOwner);
}

HRESULT CRegCommandServices::RenameItem(CRegkeyExtension& folder, REGITEM& item,
                                        const CString& newName) const noexcept
{
    return corvasin::RenameItem(folder, item, newName);
}

HRESULT CRegCommandServices::Drop(CRegkeyExtension& folder, IDataObject* pDataObject) const noexcept
{
    // Registry items first, as before; dropped registration files are merged after a preview.
    FORMATETC fe = {static_cast<CLIPFORMAT>(RegKeyFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (!pDataObject || RegKeyFormat() == 0 || pDataObject->QueryGetData(&fe) == S_OK)
        return PasteItems(folder, pDataObject, RegKeyFormat());
    const std::vector<std::wstring> files = DroppedFilesNamed(pDataObject, L".reg");
    if (files.empty())
        return PasteItems(folder, pDataObject, RegKeyFormat());
    return ImportRegFiles(files, &folder, folder.LiveOwnerWindow());
}

HRESULT CRegCommandServices::FindItems(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl,
                                       HWND hwndOwner) const noexcept
{
    return RunRow(*this, folder, kRegFind, cidl, apidl, hwndOwner, false);
}

HRESULT CRegCommandServices::EditKeySecurity(CRegkeyExtension& folder, HWND hwndOwner) const noexcept
{
    return corvasin::EditKeySecurity(folder, hwndOwner);
}

UINT CRegCommandServices::ViewButtonCount() const noexcept
{
    UINT cButtons = 0;
    while (ToolbarRow(cButtons))
        ++cButtons;
    // A separator goes in front of the buttons.
    return cButtons ? cButtons + 1 : 0;
}

UINT CRegCommandServices::ViewButtonCommand(UINT iButton) const noexcept
{
    const CommandRow* pRow = iButton ? ToolbarRow(iButton - 1) : nullptr;
    return pRow ? pRow->offset : 0;
}

const char* CRegCommandServices::ViewCommandHelp(UINT offset) const noexcept
{
    const CommandRow* pRow = FindCommand(offset);
    return pRow && (pRow->places & kOnToolbar) ? pRow->pszHelp : nullptr;
}

HRESULT CRegCommandServices::RunViewCommand(CRegkeyExtension& folder, UINT offset, UINT cidl,
                                            LPCITEMIDLIST* apidl, HWND hwndOwner) const noexcept
{
    if (!ViewCommandHelp(offset))
        return E_INVALIDARG;
    return RunRow(*this, folder, offset, cidl, apidl, hwndOwner, true);
}

} // namespace corvasin
