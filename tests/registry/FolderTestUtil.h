// Helpers of the folder contract tests: item ids built the way the folders build them, folder
// objects for a scratch key, and readers for what the shell gets back.
#pragma once

#include "app/CorvasinFactory.h"
#include "app/Guids.h"
#include "framework/ItemIdList.h"
#include "core/ComPtr.h"
#include "core/Handles.h"
#include "registry/RegItem.h"
#include "registry/RegRootExtension.h"
#include "registry/RegkeyExtension.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <string>
#include <vector>

namespace corvasin::test
{

inline UniquePidl ItemId(DWORD dwKind, const char* pszName, DWORD dwIndex = 0, DWORD dwType = 0)
{
    const REGITEM item = MakeRegItem(dwKind, dwIndex, pszName, dwType);
    return UniquePidl(MakeItemIdList(&item, sizeof(item)));
}

inline UniquePidl Combine(LPCITEMIDLIST a, LPCITEMIDLIST b)
{
    return UniquePidl(::ILCombine(a, b));
}

// The absolute list HKEY_CURRENT_USER\<path> as the root folder's children would carry it.
inline UniquePidl HkcuPidl(const std::string& path)
{
    UniquePidl pidl = ItemId(REGITEM_KEY, "HKEY_CURRENT_USER", 0x80000001);
    for (size_t start = 0, end = 0; !path.empty() && end != std::string::npos; start = end + 1)
    {
        end = path.find('\\', start);
        pidl = Combine(pidl.get(), ItemId(REGITEM_KEY, path.substr(start, end - start).c_str()).get());
    }
    return pidl;
}

// The attributes the shell is told of a value, of a key, and of a key that may be renamed (no
// subkeys) or opened further (subkeys).
constexpr SFGAOF kValueAttributes = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANRENAME | SFGAO_CANDELETE;
constexpr SFGAOF kKeyAttributes = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANDELETE | SFGAO_DROPTARGET |
                                  SFGAO_BROWSABLE | SFGAO_FOLDER;
constexpr SFGAOF kAnyKeyAttributes = kKeyAttributes | SFGAO_CANRENAME | SFGAO_HASSUBFOLDER;

// A key folder for HKCU\<path>, initialised the way the shell initialises it.
inline ComPtr<IShellFolder2> KeyFolder(const std::string& path)
{
    auto* pFolder = new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, path.c_str(), &RegistryServices());
    ComPtr<IShellFolder2> psf =
        ComPtr<IShellFolder2>::Attach(static_cast<IShellFolder2*>(pFolder->GetInterface(IID_IShellFolder2)));
    ComPtr<IPersistFolder> persist;
    psf.As(persist);
    UniquePidl pidl = HkcuPidl(path);
    persist->Initialize(pidl.get());
    return psf;
}

inline ComPtr<IShellFolder2> RootFolder()
{
    auto* pFolder = new CRegRootExtension(&RegistryServices());
    return ComPtr<IShellFolder2>::Attach(static_cast<IShellFolder2*>(pFolder->GetInterface(IID_IShellFolder2)));
}

inline CNameSpaceExtension* FolderObject(IShellFolder* psf)
{
    ComPtr<IGetNameSpaceExtensionPointer> pGet;
    CNameSpaceExtension* pFolder = nullptr;
    if (SUCCEEDED(psf->QueryInterface(IID_IGetNameSpaceExtensionPointer, pGet.put_void())))
        pGet->GetNameSpaceExtension(&pFolder);
    return pFolder;
}

// The key folder object behind a registry folder's interface.
inline CRegkeyExtension* KeyObject(IShellFolder* psf)
{
    return static_cast<CRegkeyExtension*>(FolderObject(psf));
}

inline REGITEM RecordOf(LPCITEMIDLIST pidl)
{
    return ReadRegItem(ItemIdData(pidl, sizeof(REGITEM), true));
}

// Every item the folder lists with these flags, as ids.
inline std::vector<UniquePidl> List(IShellFolder* psf, DWORD grfFlags)
{
    std::vector<UniquePidl> items;
    ComPtr<IEnumIDList> enumerator;
    EXPECT_EQ(psf->EnumObjects(nullptr, grfFlags, enumerator.put()), S_OK);
    LPITEMIDLIST pidl = nullptr;
    while (enumerator->Next(1, &pidl, nullptr) == S_OK)
        items.emplace_back(pidl);
    return items;
}

inline std::vector<std::string> Names(const std::vector<UniquePidl>& items)
{
    std::vector<std::string> names;
    for (const auto& item : items)
        names.push_back(RecordOf(item.get()).szName);
    return names;
}

inline std::string StrRetText(STRRET& str, LPCITEMIDLIST pidl = nullptr)
{
    char sz[MAX_PATH * 2] = {};
    ::StrRetToBufA(&str, pidl, sz, sizeof(sz));
    return sz;
}

// The names of the ids of a list, first to last.
inline std::vector<std::string> NamesAlong(LPCITEMIDLIST pidl)
{
    std::vector<std::string> names;
    for (LPCITEMIDLIST p = pidl; p; p = NextItemId(p))
        names.push_back(RecordOf(p).szName);
    return names;
}

inline std::string DisplayName(IShellFolder* psf, LPCITEMIDLIST pidl, SHGDNF flags)
{
    STRRET str = {};
    if (FAILED(psf->GetDisplayNameOf(pidl, flags, &str)))
        return "<failed>";
    return StrRetText(str, pidl);
}

// Column text as the shell's view reads it; "<E_FAIL>" for a failure.
inline std::string Details(IShellFolder2* psf, LPCITEMIDLIST pidl, UINT iColumn)
{
    SHELLDETAILS details = {};
    const HRESULT hr = psf->GetDetailsOf(pidl, iColumn, &details);
    if (FAILED(hr))
        return hr == E_FAIL ? "<E_FAIL>" : "<error>";
    return StrRetText(details.str, pidl);
}

// A test on its own scratch key and the key's folder, made on first use: after the test has
// filled the key, as the shell makes a folder for a key that is there.
class ScratchFolder : public ::testing::Test
{
protected:
    IShellFolder2* Folder()
    {
        if (!m_psf)
            m_psf = KeyFolder(scratch.path());
        return m_psf.get();
    }
    CRegkeyExtension* Object() { return KeyObject(Folder()); }

    ScratchKey scratch;
    ComPtr<IShellFolder2> m_psf;
};

} // namespace corvasin::test
