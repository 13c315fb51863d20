// Registration and removal of the server: the class rows filled from what the folder and UI
// objects say, then the URL prefixes, the interface key, the desktop namespace entry and the
// notification.
#include "install/Registration.h"

#include "core/CmdTargetPtr.h"
#include "core/ComPtr.h"
#include "core/Handles.h"
#include "core/Module.h"
#include "core/Result.h"
#include "core/Strings.h"
#include "framework/NameSpaceExtension.h"
#include "framework/NameSpaceFactory.h"
#include "framework/ShellUIObject.h"
#include "install/Placement.h"
#include "install/RegistrationRows.h"
#include "install/WebFiles.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegFolder.h"
#include "registry/RegistryTree.h"

#include <shlobj.h>
#include <array>
#include <cstring>
#include <iterator>

namespace corvasin
{

bool GuidText(REFGUID guid, char (&szText)[40]) noexcept
{
    wchar_t szWide[40];
    szText[0] = '\0';
    if (::StringFromGUID2(guid, szWide, static_cast<int>(std::size(szWide))) == 0)
        return false;
    return ::WideCharToMultiByte(CP_ACP, 0, szWide, -1, szText, sizeof(szText), nullptr,
                                 nullptr) > 0;
}

void NotifyDesktopChanged() noexcept
{
    ComPtr<IShellFolder> pDesktop;
    if (FAILED(::SHGetDesktopFolder(pDesktop.put())))
        return;
    ComPtr<IPersistFolder2> pPersist;
    if (FAILED(pDesktop.As(pPersist)))
        return;
    UniquePidl pidlDesktop;
    if (FAILED(pPersist->GetCurFolder(pidlDesktop.put())) || !pidlDesktop)
        return;
    ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST | SHCNF_FLUSH, pidlDesktop.get(), nullptr);
}

namespace
{
CString ModulePath()
{
    char szPath[MAX_PATH];
    const DWORD cch = ::GetModuleFileNameA(ModuleInstance(), szPath, MAX_PATH);
    // A path that filled the buffer may be cut off: registering it would point COM elsewhere.
    if (cch == 0 || cch >= MAX_PATH)
        return {};
    return CString(szPath, cch);
}

// "file://<Windows directory>\Web\<template>".
CString WebViewMoniker(const char* pszTemplate)
{
    char szWindows[MAX_PATH];
    const UINT cch = ::GetWindowsDirectoryA(szWindows, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return {};
    CString moniker = "file://";
    moniker.append(szWindows, cch);
    if (moniker.back() != '\\')
        moniker += '\\';
    moniker += "Web\\";
    moniker += pszTemplate;
    return moniker;
}

// Everything registration asks of the folder object and the UI object, as row texts.
bool ReadClassTexts(CNameSpaceExtension& folder, CShellUIObject& uiObject, RowTexts& rows)
{
    char szFolderClass[40];
    char szUIClass[40];
    rows.texts['N'] = folder.GetItemName(nullptr, 0);
    rows.texts['M'] = ModulePath();
    if (rows.texts['M'].empty())
        return false;
    if (!GuidText(folder.GetCLSID(), szFolderClass))
        return false;
    rows.dwAttributes = folder.GetItemAttributes(nullptr);
    if (!GuidText(uiObject.GetClassID(), szUIClass))
        return false;
    rows.texts['C'] = szFolderClass;
    rows.texts['U'] = szUIClass;
    rows.texts['T'] = folder.GetColumnText(nullptr, -1);
    UINT uOutFlags = 0;
    rows.texts['X'] = std::to_string(folder.GetIconIndex(nullptr, 0, &uOutFlags));
    if (LPCSTR pszTemplate = folder.GetWebViewTemplate())
    {
        rows.texts['W'] = WebViewMoniker(pszTemplate);
        // A template whose moniker cannot be built fails the registration.
        if (rows.texts['W'].empty())
            return false;
    }
    rows.texts['P'] = folder.GetUrlProtocol();
    return true;
}

// The rows of the interface key and the namespace entry for the folder class.
bool ReadShellEntryTexts(REFCLSID clsidFolder, RowTexts& rows)
{
    char szInterface[40];
    char szFolderClass[40];
    if (!GuidText(IID_IRegFolder, szInterface) || !GuidText(clsidFolder, szFolderClass))
        return false;
    rows.texts['I'] = szInterface;
    rows.texts['C'] = szFolderClass;
    return true;
}

// Deletes name below pszParent; a missing parent means there is nothing to delete.
bool DeleteBelow(HKEY hRoot, const char* pszParent, const CString& name) noexcept
{
    UniqueHkey hParent;
    const LONG lOpen = ::RegOpenKeyExA(hRoot, pszParent, 0, KEY_READ | KEY_WRITE, hParent.put());
    if (lOpen == ERROR_FILE_NOT_FOUND)
        return true;
    return lOpen == ERROR_SUCCESS && DeleteRegKeyTree(hParent.get(), name.c_str());
}

// c_pszLongRootPrefix, then each predefined key's short name; null where a key has none.
std::array<const char*, kPredefinedKeyTableSize + 1> UrlPrefixes() noexcept
{
    std::array<const char*, kPredefinedKeyTableSize + 1> prefixes = {c_pszLongRootPrefix};
    size_t i = 1;
    for (const PredefinedKey& key : AllPredefinedKeys())
        prefixes[i++] = key.pszShortName;
    return prefixes;
}

void WriteUrlPrefixes(HKEY hMachine) noexcept
{
    // Best effort: they only make short location texts work.
    UniqueHkey hPrefixes;
    if (::RegCreateKeyExA(hMachine, c_pszUrlPrefixesKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, hPrefixes.put(), nullptr) != ERROR_SUCCESS)
        return;
    for (const char* pszPrefix : UrlPrefixes())
    {
        if (!pszPrefix)
            continue;
        if (::RegSetValueExA(hPrefixes.get(), pszPrefix, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(c_pszUrlPrefixTarget),
                             static_cast<DWORD>(strlen(c_pszUrlPrefixTarget) + 1)) != ERROR_SUCCESS)
            break;
    }
}

// Removes the URL prefixes that still lead to us; a prefix another program changed stays.
void RemoveUrlPrefixes(HKEY hMachine) noexcept
{
    UniqueHkey hPrefixes;
    if (::RegOpenKeyExA(hMachine, c_pszUrlPrefixesKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        hPrefixes.put()) != ERROR_SUCCESS)
        return;
    for (const char* pszPrefix : UrlPrefixes())
    {
        if (!pszPrefix)
            continue;
        char szValue[32] = {};
        DWORD cb = sizeof(szValue) - 1;
        DWORD dwType = 0;
        if (::RegQueryValueExA(hPrefixes.get(), pszPrefix, nullptr, &dwType,
                               reinterpret_cast<BYTE*>(szValue), &cb) == ERROR_SUCCESS &&
            dwType == REG_SZ && std::strcmp(szValue, c_pszUrlPrefixTarget) == 0)
            ::RegDeleteValueA(hPrefixes.get(), pszPrefix);
    }
}
// Whether the other build (x86 beside x64 on 64-bit Windows) still has the folder class in its
// own registry view. The two share the Web folder's files and the placement outside the views,
// which must then stay for it. On 32-bit Windows there is no other view: the flag is ignored,
// the class key looked at is this build's own, and the removal step has deleted it already.
bool OtherBuildRegistered(HKEY hClassesRoot, const CString& strFolderClass) noexcept
{
    constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    try
    {
        UniqueHkey hServer;
        return ::RegOpenKeyExA(hClassesRoot,
                               ("CLSID\\" + strFolderClass + "\\InProcServer32").c_str(), 0,
                               KEY_QUERY_VALUE | kOtherView, hServer.put()) == ERROR_SUCCESS;
    }
    CATCH_RETURN(false)
}
} // namespace

// ---- the class keys -----------------------------------------------------------------------------

BOOL RegisterClasses(CNameSpaceFactory& factory, const RegistrationRoots& roots) noexcept
{
    const auto folder = CmdTargetPtr<CNameSpaceExtension>::Attach(factory.CreateFolder());
    const auto uiObject = CmdTargetPtr<CShellUIObject>::Attach(factory.CreateDefaultUIObject());
    if (!folder || !uiObject)
        return FALSE;
    try
    {
        RowTexts rows;
        if (!ReadClassTexts(*folder, *uiObject, rows))
            return FALSE;
        return WriteRows(ClassRows(), rows, roots);
    }
    CATCH_RETURN(FALSE)
}

BOOL UnregisterClasses(CNameSpaceFactory& factory, const RegistrationRoots& roots) noexcept
{
    const auto folder = CmdTargetPtr<CNameSpaceExtension>::Attach(factory.CreateFolder());
    if (!folder)
        return FALSE;
    try
    {
        char szFolderClass[40];
        if (!GuidText(folder->GetCLSID(), szFolderClass))
            return FALSE;
        const BOOL bRemoved =
            DeleteRegKeyTree(roots.hClassesRoot, (CString("CLSID\\") + szFolderClass).c_str());

        UniqueHkey hApproved;
        if (::RegOpenKeyExA(roots.hLocalMachine, c_pszApprovedKey, 0, KEY_SET_VALUE,
                            hApproved.put()) == ERROR_SUCCESS)
            ::RegDeleteValueA(hApproved.get(), szFolderClass);
        return bRemoved;
    }
    CATCH_RETURN(FALSE)
}

// ---- installation and removal -------------------------------------------------------------------

HRESULT InstallShellEntries(REFCLSID clsidFolder, const RegistrationRoots& roots) noexcept
{
    try
    {
        WriteUrlPrefixes(roots.hLocalMachine);

        // The template named in PersistMoniker and the pages it links to.
        if (roots.bWebFiles)
            WriteWebFiles();

        RowTexts rows;
        if (!ReadShellEntryTexts(clsidFolder, rows))
            return E_FAIL;
        const HRESULT hr = WriteRows(ShellEntryRows(), rows, roots) ? S_OK : E_FAIL;
        if (roots.bNotifyShell)
            NotifyDesktopChanged();
        return hr;
    }
    CATCH_RETURN(E_FAIL)
}

HRESULT RemoveShellEntries(REFCLSID clsidFolder, const RegistrationRoots& roots) noexcept
{
    try
    {
        RowTexts rows;
        if (!ReadShellEntryTexts(clsidFolder, rows))
            return E_FAIL;
        const bool bOtherBuild = OtherBuildRegistered(roots.hClassesRoot, rows.texts['C']);
        RemoveUrlPrefixes(roots.hLocalMachine);
        if (roots.bWebFiles && !bOtherBuild)
            DeleteWebFiles();

        // The namespace entry and the interface key are the rows of the installation step.
        const bool bInterface = DeleteBelow(roots.hClassesRoot, "Interface", rows.texts['I']);
        const bool bNameSpace =
            DeleteBelow(roots.hLocalMachine, c_pszDesktopNameSpaceKey, rows.texts['C']);
        // Wherever the namespace was moved to, an entry left there would name a missing class.
        PlacementRoots placement;
        placement.hLocalMachine = roots.hLocalMachine;
        placement.hCurrentUser = roots.hCurrentUser;
        if (!roots.bNotifyShell)
            placement.pfnNotify = nullptr;
        RemoveOtherMounts(clsidFolder, placement, !bOtherBuild);

        if (roots.bNotifyShell)
            NotifyDesktopChanged();
        return bInterface && bNameSpace ? S_OK : E_FAIL;
    }
    CATCH_RETURN(E_FAIL)
}

} // namespace corvasin
