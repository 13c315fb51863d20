// CRegUIObject: the UI object of the registry namespace, for a selection of registry keys and
// values or, created by its class factory, for the namespace's own icon. For now it offers the
// base menu and data formats; it supplies the class id it is registered under and the folder to
// fall back on when the shell initialises it without one of ours.
//
// Ownership and threading as CShellUIObject.
#pragma once

#include "framework/ShellUIObject.h"

namespace corvasin
{

class CRegUIObject : public CShellUIObject
{
public:
    CRegUIObject(CNameSpaceExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                 LPCITEMIDLIST pidlFolder, HWND hwndOwner) noexcept;

    const CLSID& GetClassID() noexcept override;
    // The folder the folder factory created last, through the hook it set; null without one.
    CNameSpaceExtension* GetDefaultFolder() noexcept override;

protected:
    ~CRegUIObject() override = default;
};

// The folder factory tells the UI objects where to find the folder it created last. The
// function returns the folder without a new reference (the factory keeps its own), or null.
using DefaultFolderSource = CNameSpaceExtension* (*)();
void SetDefaultFolderSource(DefaultFolderSource pfn) noexcept;

} // namespace corvasin
