// CCorvasinUIObject: the registry UI object as the product ships it. It adds what only the top
// floor knows: the class id the UI object is registered under and the folder the module's
// folder factory created last, for menus the shell opens without a folder of ours.
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

private:
    ~CCorvasinUIObject() override = default;
};

} // namespace corvasin
