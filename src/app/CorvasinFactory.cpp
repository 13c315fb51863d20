// The product's factories.
#include "app/CorvasinFactory.h"

#include "app/CorvasinServices.h"
#include "commands/RegUIObject.h"
#include "install/Registration.h"
#include "registry/RegRootExtension.h"

#include <new>

namespace corvasin
{

namespace
{
CCorvasinFactory g_folderFactory;
CUIObjectFactory g_uiObjectFactory;
} // namespace

CCorvasinFactory& FolderFactory() noexcept { return g_folderFactory; }

CUIObjectFactory& UIObjectFactory() noexcept { return g_uiObjectFactory; }

CNameSpaceExtension* CCorvasinFactory::CreateFolder() noexcept
{
    return new (std::nothrow) CRegRootExtension(&RegistryServices());
}

CShellUIObject* CCorvasinFactory::CreateDefaultUIObject() noexcept
{
    return new (std::nothrow) CRegUIObject(RegistryServices(), nullptr, 0, nullptr, nullptr, nullptr);
}

BOOL CCorvasinFactory::Register() noexcept { return RegisterClasses(*this); }

BOOL CCorvasinFactory::Unregister() noexcept { return UnregisterClasses(*this); }

} // namespace corvasin
