// The registry UI object: class id and default folder.
#include "commands/RegUIObject.h"

#include "framework/Guids.h"

#include <atomic>

namespace corvasin
{

namespace
{
// Set once by the folder factory at start-up, read on the shell's threads.
std::atomic<DefaultFolderSource> g_pfnDefaultFolder{nullptr};
} // namespace

void SetDefaultFolderSource(DefaultFolderSource pfn) noexcept { g_pfnDefaultFolder.store(pfn); }

CRegUIObject::CRegUIObject(CNameSpaceExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                           LPCITEMIDLIST pidlFolder, HWND hwndOwner) noexcept
    : CShellUIObject(pFolder, cidl, apidl, pidlFolder, hwndOwner)
{
}

const CLSID& CRegUIObject::GetClassID() noexcept { return CLSID_CorvasinUIObject; }

CNameSpaceExtension* CRegUIObject::GetDefaultFolder() noexcept
{
    const DefaultFolderSource pfn = g_pfnDefaultFolder.load();
    return pfn ? pfn() : nullptr;
}

} // namespace corvasin
