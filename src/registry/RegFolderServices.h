// What the product's top floor gives the registry folders: the class id they report, the
// clipboard format their copies travel in, and the commands that live above this floor (the UI
// object of a selection, the search, the export). The root folder is given it; every
// sub-folder inherits its parent's.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace corvasin
{

class CCmdTarget;
class CRegkeyExtension;

struct RegFolderServices
{
    // What GetCLSID reports; null: CLSID_NULL.
    const CLSID* pclsidFolder = nullptr;
    // The number of "CORVASIN_CLIPFORMAT_REGKEY"; null or 0: drops are refused.
    UINT (*pfnRegKeyFormat)() noexcept = nullptr;
    // A UI object for items of pFolder (one reference for the caller), or null.
    CCmdTarget* (*pfnCreateUIObject)(CRegkeyExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                                     HWND hwndOwner) noexcept = nullptr;
    // The Find... command: the find dialog, then the search thread over the items (the whole
    // folder when cidl is 0). FALSE when nothing could be started.
    BOOL (*pfnFindItems)(CRegkeyExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                         HWND hwndOwner) noexcept = nullptr;
    // The export of the items (the folder's whole key when cidl is 0) to a registration file.
    BOOL (*pfnExportItems)(CRegkeyExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                           HWND hwndOwner) noexcept = nullptr;
};

} // namespace corvasin
