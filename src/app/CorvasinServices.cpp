// The product's services record.
#include "app/CorvasinServices.h"

#include "app/ClassObjects.h"
#include "app/ClipboardFormats.h"
#include "app/CorvasinFactory.h"
#include "app/Guids.h"
#include "install/Placement.h"
#include "install/Uninstall.h"
#include "install/WebFiles.h"

namespace corvasin
{

namespace
{
const CCorvasinServices c_services;
} // namespace

const CCorvasinServices& RegistryServices() noexcept { return c_services; }

const CLSID& CCorvasinServices::FolderClassId() const noexcept { return CLSID_CorvasinFolder; }

const CLSID& CCorvasinServices::UIObjectClassId() const noexcept { return CLSID_CorvasinUIObject; }

UINT CCorvasinServices::RegKeyFormat() const noexcept { return GetClipboardFormat(kCfRegKey); }

CNameSpaceExtension* CCorvasinServices::DefaultFolder() const noexcept
{
    return FolderFactory().PeekLastCreated();
}

BOOL CCorvasinServices::OpenAboutPage() const noexcept { return corvasin::OpenAboutPage(); }

BOOL CCorvasinServices::Uninstall() const noexcept { return UninstallComponent(&UnregisterServer); }

BOOL CCorvasinServices::MoveFolder(HWND hwndOwner, DWORD dwPlacement) const noexcept
{
    return corvasin::MoveFolder(hwndOwner, dwPlacement, CLSID_CorvasinFolder);
}

DWORD CCorvasinServices::ReadPlacementType() const noexcept { return corvasin::ReadPlacementType(); }

} // namespace corvasin
