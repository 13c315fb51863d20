// The product's registry UI object.
#include "app/CorvasinUIObject.h"

#include "app/ClassObjects.h"
#include "app/CorvasinFactory.h"
#include "app/Guids.h"
#include "install/Placement.h"
#include "install/Uninstall.h"
#include "install/WebFiles.h"

namespace corvasin
{

const CLSID& CCorvasinUIObject::GetClassID() noexcept { return CLSID_CorvasinUIObject; }

CNameSpaceExtension* CCorvasinUIObject::GetDefaultFolder() noexcept
{
    return FolderFactory().PeekLastCreated();
}

BOOL CCorvasinUIObject::OnAbout() noexcept { return OpenAboutPage(); }

BOOL CCorvasinUIObject::OnUninstall() noexcept { return UninstallComponent(&UnregisterServer); }

BOOL CCorvasinUIObject::MoveFolder(DWORD dwPlacement) noexcept
{
    return corvasin::MoveFolder(GetOwnerWindow(), dwPlacement, CLSID_CorvasinFolder);
}

DWORD CCorvasinUIObject::ReadPlacementType() noexcept { return corvasin::ReadPlacementType(); }

} // namespace corvasin
