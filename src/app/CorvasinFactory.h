// The product's class factories and the services its registry folders are given: the folder
// factory makes the registry root folder (or, for interfaces a folder lacks, the registry UI
// object) and registers the server; the UI object factory makes UI objects through it.
#pragma once

#include "framework/NameSpaceFactory.h"
#include "registry/RegFolderServices.h"

namespace corvasin
{

class CCorvasinFactory : public CNameSpaceFactory
{
public:
    CCorvasinFactory() noexcept = default;
    virtual ~CCorvasinFactory() = default;

    CNameSpaceExtension* CreateFolder() noexcept override;
    CShellUIObject* CreateDefaultUIObject() noexcept override;
    BOOL Register() noexcept override;
    BOOL Unregister() noexcept override;
};

// The module's two factories.
CCorvasinFactory& FolderFactory() noexcept;
CUIObjectFactory& UIObjectFactory() noexcept;

// What every registry folder of the product is given: its class id, the registry key clipboard
// format, and the commands of the floors above the folders.
const RegFolderServices& RegistryServices() noexcept;

} // namespace corvasin
