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
    size_t start = 0;
    while (start <= path.size() && !path.empty())
    {
        const size_t end = path.find('\\', start);
        const std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        UniquePidl id = ItemId(REGITEM_KEY, part.c_str());
        pidl = Combine(pidl.get(), id.get());
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return pidl;
}

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
    return ComPtr<IShellFolder2>::Attach(
        static_cast<IShellFolder2*>(pFolder->GetInterface(IID_IShellFolder2)));
}

inline CNameSpaceExtension* FolderObject(IShellFolder* psf)
{
    ComPtr<IUnknown> unk(psf);
    IGetNameSpaceExtensionPointer* pGet = nullptr;
    if (FAILED(psf->QueryInterface(IID_IGetNameSpaceExtensionPointer, reinterpret_cast<void**>(&pGet))))
        return nullptr;
    CNameSpaceExtension* pFolder = nullptr;
    pGet->GetNameSpaceExtension(&pFolder);
    pGet->Release();
    return pFolder;
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

} // namespace corvasin::test
