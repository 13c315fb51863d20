// The product's registry UI object.
#include "app/CorvasinUIObject.h"

#include "app/CorvasinFactory.h"
#include "app/Guids.h"

namespace corvasin
{

const CLSID& CCorvasinUIObject::GetClassID() noexcept { return CLSID_CorvasinUIObject; }

CNameSpaceExtension* CCorvasinUIObject::GetDefaultFolder() noexcept
{
    return FolderFactory().PeekLastCreated();
}

} // namespace corvasin
