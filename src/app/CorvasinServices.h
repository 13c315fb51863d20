// CCorvasinServices: the services record as the product ships it, the one way up from the
// registry folders and the UI objects to what only the top floor knows: the class ids the
// product is registered under, its registry clipboard format, the folder its factory made last,
// and the installation floor's commands (about, uninstall, placement).
#pragma once

#include "commands/RegCommandServices.h"

namespace corvasin
{

class CCorvasinServices final : public CRegCommandServices
{
public:
    const CLSID& FolderClassId() const noexcept override;
    const CLSID& UIObjectClassId() const noexcept override;
    UINT RegKeyFormat() const noexcept override;
    CNameSpaceExtension* DefaultFolder() const noexcept override;
    // Opens the about page installed in the Windows "Web" folder.
    BOOL OpenAboutPage() const noexcept override;
    // Asks, then unregisters the module and schedules its file for deletion at restart.
    BOOL Uninstall() const noexcept override;
    BOOL MoveFolder(HWND hwndOwner, DWORD dwPlacement) const noexcept override;
    DWORD ReadPlacementType() const noexcept override;
};

// The module's one record, handed to the registry root and to the UI objects its factory makes.
const CCorvasinServices& RegistryServices() noexcept;

} // namespace corvasin
