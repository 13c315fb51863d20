// CCorvasinUIObject: the registry UI object as the product ships it. It adds what only the top
// floor knows: the class id the UI object is registered under, the folder the module's folder
// factory created last (for menus the shell opens without a folder of ours), and the commands
// of the installation floor (about, uninstall, placement).
#pragma once

#include "commands/RegUIObject.h"

namespace corvasin
{

class CCorvasinUIObject final : public CRegUIObject
{
public:
    using CRegUIObject::CRegUIObject;

    const CLSID& GetClassID() noexcept override;
    // The folder the folder factory created last, without a new reference; null without one.
    CNameSpaceExtension* GetDefaultFolder() noexcept override;

    // Opens the about page installed in the Windows "Web" folder.
    BOOL OnAbout() noexcept override;
    // Asks, then unregisters the module and schedules its file for deletion at restart.
    BOOL OnUninstall() noexcept override;
    // Moves the registry's root; a failure is shown, owned by the owner window.
    BOOL MoveFolder(DWORD dwPlacement) noexcept override;
    DWORD ReadPlacementType() noexcept override;

private:
    ~CCorvasinUIObject() override = default;
};

} // namespace corvasin
