// The fixture of the registry command tests: a scratch key reached the way the shell reaches it
// (the registry root, then HKEY_CURRENT_USER and the path below it), its folder, and the UI
// objects, commands and drops of items in it.
#pragma once

#include "core/CmdTargetPtr.h"
#include "registry/FolderTestUtil.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvasin::test
{

// Runs a verb (text) or a command offset of a context menu.
inline HRESULT RunCommand(IContextMenu* pMenu, LPCSTR pszVerb)
{
    CMINVOKECOMMANDINFO ici = {sizeof(ici)};
    ici.lpVerb = pszVerb;
    ici.nShow = SW_SHOWNORMAL;
    return pMenu->InvokeCommand(&ici);
}

using Bytes = std::vector<BYTE>;

// The block a data object hands out in a format; empty when it has none.
inline Bytes FormatBytes(IDataObject* pData, CLIPFORMAT cf)
{
    FORMATETC fe = {cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(pData->GetData(&fe, &medium)))
        return {};
    const auto* p = static_cast<const BYTE*>(::GlobalLock(medium.hGlobal));
    Bytes bytes(p, p + ::GlobalSize(medium.hGlobal));
    ::GlobalUnlock(medium.hGlobal);
    ::ReleaseStgMedium(&medium);
    return bytes;
}

template <typename I>
ComPtr<I> UIObjectOf(IShellFolder* pFolder, const std::vector<LPCITEMIDLIST>& items)
{
    ComPtr<I> out;
    const UINT cidl = static_cast<UINT>(items.size());
    LPCITEMIDLIST* apidl = const_cast<LPCITEMIDLIST*>(items.data());
    EXPECT_EQ(pFolder->GetUIObjectOf(nullptr, cidl, apidl, __uuidof(I), nullptr, out.put_void()), S_OK);
    return out;
}

class RegistryCommands : public ::testing::Test
{
protected:
    RegistryCommands()
    {
        UniquePidl rel = HkcuPidl(key.path());
        EXPECT_EQ(root->BindToObject(rel.get(), nullptr, IID_IShellFolder2, folder.put_void()), S_OK);
    }

    // The folder object of the scratch key (owned by `folder`).
    CRegkeyExtension* Folder() const { return static_cast<CRegkeyExtension*>(FolderObject(folder.get())); }

    // Runs a verb or a command offset on the items' context menu, as built for the shell.
    HRESULT Invoke(const std::vector<LPCITEMIDLIST>& items, LPCSTR pszVerb)
    {
        ComPtr<IContextMenu> menu = UIObjectOf<IContextMenu>(folder.get(), items);
        UniqueHmenu hmenu(::CreatePopupMenu());
        menu->QueryContextMenu(hmenu.get(), 0, 1, 0x7FFF, CMF_NORMAL);
        return RunCommand(menu.get(), pszVerb);
    }
    HRESULT Invoke(const std::vector<LPCITEMIDLIST>& items, UINT offset)
    {
        return Invoke(items, MAKEINTRESOURCEA(offset));
    }

    // The folder of a subkey of the scratch key.
    ComPtr<IShellFolder> Sub(const char* pszName)
    {
        UniquePidl pidl = ItemId(REGITEM_KEY, pszName);
        ComPtr<IShellFolder> sub;
        EXPECT_EQ(folder->BindToObject(pidl.get(), nullptr, IID_IShellFolder, sub.put_void()), S_OK);
        return sub;
    }

    // A drop as the shell's drag loop makes it, with Shift held, or the bare Drop of a paste.
    HRESULT DropOn(IShellFolder* pFolder, IDataObject* pData, DWORD* pdwEffect = nullptr, bool bDrag = true)
    {
        ComPtr<IDropTarget> drop;
        EXPECT_EQ(pFolder->CreateViewObject(nullptr, IID_IDropTarget, drop.put_void()), S_OK);
        DWORD dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        if (bDrag)
            drop->DragEnter(pData, MK_SHIFT, POINTL{}, &dwEffect);
        if (pdwEffect)
            *pdwEffect = dwEffect;
        dwEffect = DROPEFFECT_COPY;
        return drop->Drop(pData, bDrag ? MK_SHIFT : 0, POINTL{}, &dwEffect);
    }

    // The absolute list of an item of the scratch key, below the registry root.
    UniquePidl Absolute(LPCITEMIDLIST pidlItem) const { return Combine(Folder()->GetPidl(), pidlItem); }

    ScratchKey key;
    ComPtr<IShellFolder2> root = RootFolder();
    ComPtr<IShellFolder2> folder;
};

} // namespace corvasin::test
