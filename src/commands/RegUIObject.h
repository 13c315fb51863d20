// CRegUIObject: the UI object of the registry namespace, for a selection of registry keys and
// values or, created by its class factory, for the namespace's own icon. For now it offers the
// base menu and data formats. The product's final class (on the top floor) names the class id
// it is registered under and the folder to fall back on when the shell initialises it without
// one of ours.
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

protected:
    ~CRegUIObject() override = default;
};

} // namespace corvasin
