// The fixture of the registry command tests: a scratch key reached the way the shell reaches it
// (the registry root, then HKEY_CURRENT_USER and the path below it), its folder, and the UI
// objects and commands of items in it.
#pragma once

#include "app/CorvasinFactory.h"
#include "core/CmdTargetPtr.h"
#include "core/ComPtr.h"
#include "framework/ItemIdList.h"
#include "registry/FolderTestUtil.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvasin::test
{

class RegistryCommands : public ::testing::Test
{
protected:
    RegistryCommands()
    {
        root = RootFolder();
        UniquePidl rel = HkcuPidl(key.path());
        EXPECT_EQ(root->BindToObject(rel.get(), nullptr, IID_IShellFolder2, folder.put_void()), S_OK);
        pidlFolder = std::move(rel);
    }

    // The folder object of the scratch key (owned by `folder`).
    CRegkeyExtension* Folder() const { return static_cast<CRegkeyExtension*>(FolderObject(folder.get())); }

    template <typename I>
    ComPtr<I> UIObject(const std::vector<LPCITEMIDLIST>& items, REFIID riid = __uuidof(I))
    {
        ComPtr<I> out;
        EXPECT_EQ(folder->GetUIObjectOf(nullptr, static_cast<UINT>(items.size()),
                                        const_cast<LPCITEMIDLIST*>(items.data()), riid, nullptr,
                                        out.put_void()),
                  S_OK);
        return out;
    }

    // Runs a verb (text) or a command offset on the items' context menu.
    HRESULT Invoke(const std::vector<LPCITEMIDLIST>& items, LPCSTR pszVerb)
    {
        ComPtr<IContextMenu> menu = UIObject<IContextMenu>(items);
        UniqueHmenu hmenu(::CreatePopupMenu());
        menu->QueryContextMenu(hmenu.get(), 0, 1, 0x7FFF, CMF_NORMAL);
        CMINVOKECOMMANDINFO ici = {};
        ici.cbSize = sizeof(ici);
        ici.lpVerb = pszVerb;
        ici.nShow = SW_SHOWNORMAL;
        return menu->InvokeCommand(&ici);
    }
    HRESULT Invoke(const std::vector<LPCITEMIDLIST>& items, UINT offset)
    {
        return Invoke(items, MAKEINTRESOURCEA(offset));
    }

    // The absolute list of the scratch key, below the registry root.
    UniquePidl Absolute(LPCITEMIDLIST pidlItem = nullptr) const
    {
        return pidlItem ? Combine(Folder()->GetPidl(), pidlItem) : UniquePidl(::ILClone(Folder()->GetPidl()));
    }

    ScratchKey key;
    ComPtr<IShellFolder2> root;
    ComPtr<IShellFolder2> folder;
    UniquePidl pidlFolder;
};

} // namespace corvasin::test
