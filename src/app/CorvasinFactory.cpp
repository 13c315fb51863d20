// The product's factories and the wiring of its registry folders to the commands above them.
#include "app/CorvasinFactory.h"

#include "app/ClipboardFormats.h"
#include "app/CorvasinUIObject.h"
#include "app/Guids.h"
#include "commands/ExportCommand.h"
#include "install/Registration.h"
#include "registry/RegRootExtension.h"
#include "search/FindThread.h"

#include <new>

namespace corvasin
{

namespace
{
CCorvasinFactory g_folderFactory;
CUIObjectFactory g_uiObjectFactory;

UINT RegKeyFormat() noexcept { return GetClipboardFormat(kCfRegKey); }

CCmdTarget* CreateRegistryUIObject(CRegkeyExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                                   HWND hwndOwner) noexcept
{
    return new (std::nothrow) CCorvasinUIObject(pFolder, cidl, apidl, pFolder->GetPidl(), hwndOwner);
}

BOOL ExportRegistryItems(CRegkeyExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                         HWND hwndOwner) noexcept
{
    return cidl == 0 ? ExportKey(pFolder, hwndOwner) : ExportItems(pFolder, cidl, apidl, hwndOwner);
}

const RegFolderServices c_services = [] {
    RegFolderServices services;
    services.pclsidFolder = &CLSID_CorvasinFolder;
    services.pfnRegKeyFormat = &RegKeyFormat;
    services.pfnCreateUIObject = &CreateRegistryUIObject;
    services.pfnExportItems = &ExportRegistryItems;
    services.pfnFindItems = &FindRegistryItems;
    return services;
}();
} // namespace

CCorvasinFactory& FolderFactory() noexcept { return g_folderFactory; }

CUIObjectFactory& UIObjectFactory() noexcept { return g_uiObjectFactory; }

const RegFolderServices& RegistryServices() noexcept { return c_services; }

CNameSpaceExtension* CCorvasinFactory::CreateFolder() noexcept
{
    return new (std::nothrow) CRegRootExtension(&c_services);
}

CShellUIObject* CCorvasinFactory::CreateDefaultUIObject() noexcept
{
    return new (std::nothrow) CCorvasinUIObject(nullptr, 0, nullptr, nullptr, nullptr);
}

BOOL CCorvasinFactory::Register() noexcept { return RegisterClasses(*this); }

BOOL CCorvasinFactory::Unregister() noexcept { return UnregisterClasses(*this); }

} // namespace corvasin
