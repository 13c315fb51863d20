// Registration and removal of the server: the class keys read from the folder and UI objects,
// then the URL prefixes, the interface key, the desktop namespace entry and the notification.
#include "install/Registration.h"

#include "framework/Guids.h"
#include "framework/NameSpaceExtension.h"
#include "framework/NameSpaceFactory.h"
#include "framework/RegistryTree.h"
#include "framework/ShellUIObject.h"
#include "framework/core/ComPtr.h"
#include "framework/core/Handles.h"
#include "framework/core/Module.h"
#include "framework/core/Strings.h"

#include <shlobj.h>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace corvasin
{

namespace
{
constexpr const char* c_pszInterfaceName = "IRegFolder";
constexpr const char* c_pszNameSpaceName = "Registry";

// Releases a command target's reference at the end of the scope.
template <typename T>
struct TargetRef
{
    T* p = nullptr;
    TargetRef(const TargetRef&) = delete;
    TargetRef& operator=(const TargetRef&) = delete;
    explicit TargetRef(T* pObject) noexcept : p(pObject) {}
    ~TargetRef()
    {
        if (p)
            p->ExternalRelease();
    }
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in ANSI; empty when the conversion fails.
CString GuidText(REFGUID guid)
{
    wchar_t szWide[40];
    if (::StringFromGUID2(guid, szWide, static_cast<int>(std::size(szWide))) == 0)
        return {};
    return WideToAnsi(szWide);
}

// Creates (or opens) the key at path below hRoot.
bool CreateKey(HKEY hRoot, const CString& path, UniqueHkey& hKey, REGSAM sam = KEY_WRITE) noexcept
{
    return ::RegCreateKeyExA(hRoot, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, sam, nullptr,
                             hKey.put(), nullptr) == ERROR_SUCCESS;
}

// A string value with its terminating zero; a null name is the key's default value.
bool SetString(HKEY hKey, const char* pszName, const CString& value, DWORD dwType = REG_SZ) noexcept
{
    return ::RegSetValueExA(hKey, pszName, 0, dwType, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

// Creates pszPath under hRoot and sets one string value in it.
bool WriteString(HKEY hRoot, const CString& path, const char* pszName, const CString& value,
                 DWORD dwType = REG_SZ) noexcept
{
    UniqueHkey hKey;
    return CreateKey(hRoot, path, hKey) && SetString(hKey.get(), pszName, value, dwType);
}

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

// SHCNE_UPDATEDIR for the desktop, so a running shell shows or drops the namespace entry.
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

// Everything registration asks of the folder object and the UI object.
struct ClassInfo
{
    CString name;    // the namespace's display name
    CString infoTip; // the folder's description
    ULONG dwAttributes = 0;
    int iIcon = 0;
    CString webTemplate; // file name of the web view template, or empty
    CString protocol;    // URL scheme, or empty
    CString modulePath;
    CString folderClass; // {C}
    CString uiClass;     // {U}
};

BOOL WriteClasses(HKEY hClasses, HKEY hMachine, const ClassInfo& info)
{
    const CString folderKey = "CLSID\\" + info.folderClass;
    const CString uiKey = "CLSID\\" + info.uiClass;

    if (!WriteString(hClasses, folderKey, nullptr, info.name) ||
        !WriteString(hClasses, uiKey, nullptr, info.name))
        return FALSE;
    if (!info.infoTip.empty() && !WriteString(hClasses, folderKey, "InfoTip", info.infoTip))
        return FALSE;

    char szIcon[MAX_PATH + 16];
    std::snprintf(szIcon, sizeof(szIcon), "%s,%d", info.modulePath.c_str(), info.iIcon);
    if (!WriteString(hClasses, folderKey + "\\DefaultIcon", nullptr, szIcon))
        return FALSE;

    for (const CString* pKey : {&folderKey, &uiKey})
    {
        UniqueHkey hServer;
        if (!CreateKey(hClasses, *pKey + "\\InProcServer32", hServer) ||
            !SetString(hServer.get(), nullptr, info.modulePath) ||
            !SetString(hServer.get(), "ThreadingModel", "Apartment"))
            return FALSE;
    }

    {
        UniqueHkey hShellFolder;
        // Least significant byte first, whatever the machine.
        const BYTE abAttributes[4] = {
            static_cast<BYTE>(info.dwAttributes), static_cast<BYTE>(info.dwAttributes >> 8),
            static_cast<BYTE>(info.dwAttributes >> 16), static_cast<BYTE>(info.dwAttributes >> 24)};
        if (!CreateKey(hClasses, folderKey + "\\ShellFolder", hShellFolder) ||
            ::RegSetValueExA(hShellFolder.get(), "Attributes", 0, REG_BINARY, abAttributes,
                             sizeof(abAttributes)) != ERROR_SUCCESS)
            return FALSE;
    }

    {
        UniqueHkey hHandlers;
        UniqueHkey hHandler;
        if (!CreateKey(hClasses, folderKey + "\\shellex\\ContextMenuHandlers", hHandlers) ||
            !CreateKey(hHandlers.get(), info.uiClass, hHandler))
            return FALSE;
        // An older registration may have named the folder class as its own menu handler; the
        // shell would then load a folder as a context menu. That entry must go.
        (void)DeleteRegKeyTree(hHandlers.get(), info.folderClass.c_str());
    }

    if (info.dwAttributes & SFGAO_HASPROPSHEET)
    {
        UniqueHkey hSheet;
        if (!CreateKey(hClasses, folderKey + "\\shellex\\PropertySheetHandlers\\" + info.uiClass,
                       hSheet))
            return FALSE;
    }

    if (!WriteString(hMachine, c_pszApprovedKey, info.folderClass.c_str(), info.name))
        return FALSE;

    if (!info.webTemplate.empty())
    {
        const CString moniker = WebViewMoniker(info.webTemplate.c_str());
        if (moniker.empty() ||
            !WriteString(hClasses,
                         folderKey + "\\shellex\\ExtShellFolderViews\\" + c_pszWebViewClass,
                         "PersistMoniker", moniker, REG_EXPAND_SZ))
            return FALSE;
    }

    if (!info.protocol.empty())
    {
        UniqueHkey hProtocol;
        if (!CreateKey(hClasses, info.protocol, hProtocol) ||
            !SetString(hProtocol.get(), "ShellFolder", info.folderClass) ||
            !SetString(hProtocol.get(), "URL Protocol", ""))
            return FALSE;
        UniqueHkey hCommand;
        if (!CreateKey(hProtocol.get(), "Shell\\Open\\Command", hCommand) ||
            !SetString(hCommand.get(), nullptr, "explorer \"%1\""))
            return FALSE;
    }
    return TRUE;
}

BOOL ReadClassInfo(CNameSpaceExtension& folder, CShellUIObject& uiObject, ClassInfo& info)
{
    info.name = folder.GetItemName(nullptr, 0);
    info.modulePath = ModulePath();
    if (info.modulePath.empty())
        return FALSE;
    info.folderClass = GuidText(folder.GetCLSID());
    info.dwAttributes = folder.GetItemAttributes(nullptr);
    info.uiClass = GuidText(uiObject.GetClassID());
    if (info.folderClass.empty() || info.uiClass.empty())
        return FALSE;
    info.infoTip = folder.GetColumnText(nullptr, -1);
    UINT uOutFlags = 0;
    info.iIcon = folder.GetIconIndex(nullptr, 0, &uOutFlags);
    if (LPCSTR pszTemplate = folder.GetWebViewTemplate())
        info.webTemplate = pszTemplate;
    info.protocol = folder.GetUrlProtocol();
    return TRUE;
}
} // namespace

// ---- the class keys -----------------------------------------------------------------------------

BOOL RegisterClasses(CNameSpaceFactory& factory, const RegistrationRoots& roots) noexcept
{
    TargetRef folder(factory.CreateFolder());
    TargetRef uiObject(factory.CreateDefaultUIObject());
    if (!folder.p || !uiObject.p)
        return FALSE;
    try
    {
        ClassInfo info;
        if (!ReadClassInfo(*folder.p, *uiObject.p, info))
            return FALSE;
        return WriteClasses(roots.hClassesRoot, roots.hLocalMachine, info);
    }
    catch (...)
    {
        return FALSE;
    }
}

BOOL UnregisterClasses(CNameSpaceFactory& factory, const RegistrationRoots& roots) noexcept
{
    TargetRef folder(factory.CreateFolder());
    if (!folder.p)
        return FALSE;
    try
    {
        const CString folderClass = GuidText(folder.p->GetCLSID());
        if (folderClass.empty())
            return FALSE;
        const BOOL bRemoved =
            DeleteRegKeyTree(roots.hClassesRoot, ("CLSID\\" + folderClass).c_str());

        UniqueHkey hApproved;
        if (::RegOpenKeyExA(roots.hLocalMachine, c_pszApprovedKey, 0, KEY_SET_VALUE,
                            hApproved.put()) == ERROR_SUCCESS)
            ::RegDeleteValueA(hApproved.get(), folderClass.c_str());
        return bRemoved;
    }
    catch (...)
    {
        return FALSE;
    }
}

// ---- installation and removal -------------------------------------------------------------------

HRESULT InstallShellEntries(const RegistrationRoots& roots) noexcept
{
    try
    {
        // URL prefixes: best effort, they only make short location texts work.
        UniqueHkey hPrefixes;
        if (CreateKey(roots.hLocalMachine, c_pszUrlPrefixesKey, hPrefixes, KEY_SET_VALUE))
        {
            for (const char* pszPrefix : c_apszUrlPrefixes)
            {
                if (!SetString(hPrefixes.get(), pszPrefix, c_pszUrlPrefixTarget))
                    break;
            }
        }

        // The web view files (the template named in PersistMoniker and its pages) are not
        // written yet; the moniker points where they will go.

        const CString interfaceId = GuidText(IID_IRegFolder);
        const CString folderClass = GuidText(CLSID_CorvasinFolder);
        if (interfaceId.empty() || folderClass.empty())
            return E_FAIL;
        HRESULT hr = S_OK;
        if (!WriteString(roots.hClassesRoot, "Interface\\" + interfaceId, nullptr,
                         c_pszInterfaceName) ||
            !WriteString(roots.hLocalMachine,
                         CString(c_pszDesktopNameSpaceKey) + "\\" + folderClass, nullptr,
                         c_pszNameSpaceName))
            hr = E_FAIL;

        if (roots.bNotifyShell)
            NotifyDesktopChanged();
        return hr;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

namespace
{
// Deletes pszName below pszParent; a missing parent means there is nothing to delete.
bool DeleteBelow(HKEY hRoot, const char* pszParent, const CString& name) noexcept
{
    UniqueHkey hParent;
    const LONG lOpen = ::RegOpenKeyExA(hRoot, pszParent, 0, KEY_READ | KEY_WRITE, hParent.put());
    if (lOpen == ERROR_FILE_NOT_FOUND)
        return true;
    return lOpen == ERROR_SUCCESS && DeleteRegKeyTree(hParent.get(), name.c_str());
}

// Removes the URL prefixes that still lead to us; a prefix another program changed stays.
void RemoveUrlPrefixes(HKEY hMachine) noexcept
{
    UniqueHkey hPrefixes;
    if (::RegOpenKeyExA(hMachine, c_pszUrlPrefixesKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        hPrefixes.put()) != ERROR_SUCCESS)
        return;
    for (const char* pszPrefix : c_apszUrlPrefixes)
    {
        char szValue[32] = {};
        DWORD cb = sizeof(szValue) - 1;
        DWORD dwType = 0;
        if (::RegQueryValueExA(hPrefixes.get(), pszPrefix, nullptr, &dwType,
                               reinterpret_cast<BYTE*>(szValue), &cb) == ERROR_SUCCESS &&
            dwType == REG_SZ && std::strcmp(szValue, c_pszUrlPrefixTarget) == 0)
            ::RegDeleteValueA(hPrefixes.get(), pszPrefix);
    }
}
} // namespace

HRESULT RemoveShellEntries(const RegistrationRoots& roots) noexcept
{
    try
    {
        RemoveUrlPrefixes(roots.hLocalMachine);

        const CString interfaceId = GuidText(IID_IRegFolder);
        const CString folderClass = GuidText(CLSID_CorvasinFolder);
        if (interfaceId.empty() || folderClass.empty())
            return E_FAIL;
        const bool bInterface = DeleteBelow(roots.hClassesRoot, "Interface", interfaceId);
        const bool bNameSpace =
            DeleteBelow(roots.hLocalMachine, c_pszDesktopNameSpaceKey, folderClass);

        if (roots.bNotifyShell)
            NotifyDesktopChanged();
        return bInterface && bNameSpace ? S_OK : E_FAIL;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

// ---- the entry points ---------------------------------------------------------------------------

HRESULT RegisterServer() noexcept
{
    if (!FolderFactory().Register())
        return E_FAIL;
    return InstallShellEntries();
}

HRESULT UnregisterServer() noexcept
{
    if (!FolderFactory().Unregister())
        return E_FAIL;
    return RemoveShellEntries();
}

} // namespace corvasin
