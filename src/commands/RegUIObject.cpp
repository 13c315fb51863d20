// The registry UI object.
#include "commands/RegUIObject.h"

namespace corvasin
{

CRegUIObject::CRegUIObject(CNameSpaceExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                           LPCITEMIDLIST pidlFolder, HWND hwndOwner) noexcept
    : CShellUIObject(pFolder, cidl, apidl, pidlFolder, hwndOwner)
{
}

} // namespace corvasin
