// The product's class factories: the folder factory makes the registry root folder (or, for
// interfaces a folder lacks, the registry UI object) and registers the server; the UI object
// factory makes UI objects through it. Both give what they make the product's services record.
#pragma once

#include "app/CorvasinServices.h"
#include "framework/NameSpaceFactory.h"

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

} // namespace corvasin
