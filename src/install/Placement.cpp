// Moving the registry's root between the desktop, My Computer, Control Panel and a junction
// folder, and the per-user settings that remember where it is.
#include "install/Placement.h"

#include "core/ComPtr.h"
#include "core/Handles.h"
#include "core/MessageBox.h"
#include "core/Result.h"
#include "install/Registration.h"
#include "install/RegistrationRows.h"
#include "registry/RegistryTree.h"

#include <cstring>
#include <iterator>

namespace corvasin
{

namespace
{
constexpr const char* c_apszMountKeys[] = {
    DESKTOP_NAMESPACE_KEY,
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ControlPanel\\NameSpace",
};

constexpr const char* c_pszMoveFailed = "Failed to move folder.";

// SHCNE_UPDATEDIR for the shell folder that shows placement dwType (0 to 2).
void NotifyPlace(const PlacementRoots& roots, DWORD dwType) noexcept
{
    if (!roots.pfnNotify)
        return;
    UniquePidl pidl;
    if (dwType == PLACE_DESKTOP)
    {
        ComPtr<IShellFolder> pDesktop;
        ComPtr<IPersistFolder2> pPersist;
        if (FAILED(::SHGetDesktopFolder(pDesktop.put())) || FAILED(pDesktop.As(pPersist)) ||
            FAILED(pPersist->GetCurFolder(pidl.put())))
            return;
    }
    else
    {
        const int csidl = dwType == PLACE_MY_COMPUTER ? CSIDL_DRIVES : CSIDL_CONTROLS;
        if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, pidl.put())))
            return;
    }
    if (pidl)
        roots.pfnNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST | SHCNF_FLUSH, pidl.get(), nullptr);
}

void NotifyPath(const PlacementRoots& roots, LONG lEvent, const CString& path) noexcept
{
    if (roots.pfnNotify)
        roots.pfnNotify(lEvent, SHCNF_PATHA | SHCNF_FLUSH, path.c_str(), nullptr);
}

CString JunctionPath(const CString& folder, const char* pszClass)
{
    CString path = folder;
    if (path.back() != '\\')
        path += '\\';
    path += c_pszJunctionPrefix;
    path += pszClass;
    return path;
}

bool OpenSettings(const PlacementRoots& roots, REGSAM samDesired, UniqueHkey& hKey) noexcept
{
    return ::RegCreateKeyExA(roots.hCurrentUser, c_pszPlaceKey, 0, nullptr,
                             REG_OPTION_NON_VOLATILE, samDesired, nullptr, hKey.put(),
                             nullptr) == ERROR_SUCCESS;
}

void WriteType(const PlacementRoots& roots, DWORD dwType) noexcept
{
    UniqueHkey hKey;
    if (OpenSettings(roots, KEY_SET_VALUE, hKey))
        ::RegSetValueExA(hKey.get(), c_pszPlaceType, 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&dwType), sizeof(dwType));
}

void WriteLocation(const PlacementRoots& roots, const char* pszLocation) noexcept
{
    UniqueHkey hKey;
    if (OpenSettings(roots, KEY_SET_VALUE, hKey))
        ::RegSetValueExA(hKey.get(), c_pszPlaceLocation, 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(pszLocation),
                         static_cast<DWORD>(std::strlen(pszLocation) + 1));
}

// Placements 0 to 2: the namespace entry below the place's mount key.
bool MountAtPlace(const PlacementRoots& roots, DWORD dwType, const char* pszClass)
{
    UniqueHkey hMount;
    const bool bMountKey =
        ::RegCreateKeyExA(roots.hLocalMachine, MountKey(dwType), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, MAXIMUM_ALLOWED, nullptr, hMount.put(),
                          nullptr) == ERROR_SUCCESS;
    bool bMounted = false;
    if (bMountKey)
    {
        RowTexts texts;
        texts.texts['K'] = MountKey(dwType);
        texts.texts['C'] = pszClass;
        RegistrationRoots rowRoots;
        rowRoots.hLocalMachine = roots.hLocalMachine;
        bMounted = WriteRows({&MountRow(), 1}, texts, rowRoots);
    }
    // The desktop is told in any case; the other places only when their key could be made.
    if (bMountKey || dwType == PLACE_DESKTOP)
        NotifyPlace(roots, dwType);
    return bMounted;
}

// Placement 3: the junction folder inside a folder the user picks.
bool MountInPickedFolder(const PlacementRoots& roots, const char* pszClass)
{
    char szDisplayName[MAX_PATH] = "";
    BROWSEINFOA bi = {};
    bi.pszDisplayName = szDisplayName;
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    const UniquePidl pidl(::SHBrowseForFolderA(&bi));
    if (!pidl)
        return false;
    char szPath[MAX_PATH] = "";
    if (!::SHGetPathFromIDListA(pidl.get(), szPath) || !szPath[0])
        return false;
    szPath[MAX_PATH - 1] = '\0';
    const CString junction = JunctionPath(szPath, pszClass);
    const bool bCreated = ::CreateDirectoryA(junction.c_str(), nullptr) != FALSE;
    NotifyPath(roots, SHCNE_MKDIR, junction);
    WriteLocation(roots, szPath);
    return bCreated;
}

// Removing a mount is best effort: a leftover is not reported.
void RemoveMount(const PlacementRoots& roots, DWORD dwType, const CString& location,
                 const char* pszClass)
{
    if (LPCSTR pszMountKey = MountKey(dwType))
    {
        (void)DeleteRegKeyTree(roots.hLocalMachine,
                               (CString(pszMountKey) + "\\" + pszClass).c_str());
        if (dwType != PLACE_DESKTOP)
            NotifyPlace(roots, dwType);
    }
    else if (dwType == PLACE_FOLDER && !location.empty())
    {
        const CString junction = JunctionPath(location, pszClass);
        if (::RemoveDirectoryA(junction.c_str()))
            NotifyPath(roots, SHCNE_RMDIR, junction);
    }
}
} // namespace

LPCSTR MountKey(DWORD dwType) noexcept
{
    return dwType < std::size(c_apszMountKeys) ? c_apszMountKeys[dwType] : nullptr;
}

DWORD ReadPlacementType(const PlacementRoots& roots) noexcept
{
    UniqueHkey hKey;
    if (!OpenSettings(roots, KEY_QUERY_VALUE, hKey))
        return PLACE_DESKTOP;
    DWORD dwType = 0;
    DWORD cb = sizeof(dwType);
    if (::RegQueryValueExA(hKey.get(), c_pszPlaceType, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&dwType), &cb) != ERROR_SUCCESS)
        return PLACE_DESKTOP;
    return dwType;
}

CString ReadPlacementLocation(const PlacementRoots& roots)
{
    UniqueHkey hKey;
    if (!OpenSettings(roots, KEY_QUERY_VALUE, hKey))
        return {};
    char szLocation[MAX_PATH + 1] = "";
    DWORD cb = MAX_PATH;
    DWORD dwType = REG_NONE;
    if (::RegQueryValueExA(hKey.get(), c_pszPlaceLocation, nullptr, &dwType,
                           reinterpret_cast<BYTE*>(szLocation), &cb) != ERROR_SUCCESS ||
        dwType != REG_SZ)
        return {};
    // The stored text need not end in a zero.
    return CString(szLocation, strnlen(szLocation, cb));
}

BOOL MoveFolder(HWND hwndOwner, DWORD dwNewType, REFCLSID clsidFolder,
                const PlacementRoots& roots) noexcept
{
    try
    {
        char szClass[40];
        bool bMounted = false;
        const bool bClass = GuidText(clsidFolder, szClass);
        const DWORD dwOldType = ReadPlacementType(roots);
        const CString oldLocation = ReadPlacementLocation(roots);
        if (bClass && MountKey(dwNewType))
            bMounted = MountAtPlace(roots, dwNewType, szClass);
        else if (bClass && dwNewType == PLACE_FOLDER)
            bMounted = MountInPickedFolder(roots, szClass);

        if (!bMounted)
        {
            AppMessageBox(hwndOwner, c_pszMoveFailed, MB_ICONHAND);
            return FALSE;
        }
        // Moving to the place it already has would otherwise delete the mount just written.
        if (dwOldType != dwNewType || dwNewType == PLACE_FOLDER)
            RemoveMount(roots, dwOldType, oldLocation, szClass);
        WriteType(roots, dwNewType);
        return TRUE;
    }
    CATCH_RETURN(FALSE)
}

void RemoveOtherMounts(REFCLSID clsidFolder, const PlacementRoots& roots, bool bShared) noexcept
{
    try
    {
        char szClass[40];
        if (!GuidText(clsidFolder, szClass))
            return;
        for (DWORD dwType : {PLACE_MY_COMPUTER, PLACE_CONTROL_PANEL})
        {
            UniqueHkey hEntry;
            if (::RegOpenKeyExA(roots.hLocalMachine,
                                (CString(MountKey(dwType)) + "\\" + szClass).c_str(), 0, KEY_READ,
                                hEntry.put()) != ERROR_SUCCESS)
                continue;
            hEntry.reset();
            RemoveMount(roots, dwType, {}, szClass);
        }
        if (!bShared)
            return;
        // Reading the settings would create their key: a user who never moved the root has none.
        UniqueHkey hSettings;
        if (::RegOpenKeyExA(roots.hCurrentUser, c_pszPlaceKey, 0, KEY_QUERY_VALUE,
                            hSettings.put()) != ERROR_SUCCESS)
            return;
        hSettings.reset();
        // A failed move may have stored a folder without leaving a junction there: removing
        // one that is missing does nothing.
        RemoveMount(roots, PLACE_FOLDER, ReadPlacementLocation(roots), szClass);
        (void)DeleteRegKeyTree(roots.hCurrentUser, c_pszPlaceKey);
    }
    catch (...)
    {
    }
}

} // namespace corvasin
