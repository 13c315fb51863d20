// CRegRootExtension: the folder at the top of the registry tree. Its items are the predefined
// keys; it is a key folder without a key.
#pragma once

#include "registry/RegkeyExtension.h"

namespace corvasin
{

class CRegRootExtension : public CRegkeyExtension
{
public:
    explicit CRegRootExtension(const CRegServices* pServices) noexcept;

    BOOL GetFirstItem(void* pItem, DWORD* pdwContext, DWORD grfFlags) noexcept override;
    BOOL GetNextItem(const void* pPrevious, void* pItem, DWORD* pdwContext,
                     DWORD grfFlags) noexcept override;
    CNameSpaceExtension* CreateSubFolder(const void* pItem) noexcept override;
    int GetIconIndex(const void* pItem, UINT uFlags, UINT* pwFlags) noexcept override;
    CString GetColumnText(const void* pItem, int iColumn) noexcept override;
    HRESULT ParseDisplayName(HWND hwnd, LPBC pbc, LPOLESTR pszDisplayName, ULONG* pchEaten,
                             LPITEMIDLIST* ppidl, ULONG* pdwAttributes) noexcept override;
    BOOL DeleteItems(UINT cidl, LPCITEMIDLIST* apidl) noexcept override;
    BOOL SearchKey(CSearchWalk* pSearch) noexcept override;

protected:
    ~CRegRootExtension() override = default;
};

} // namespace corvasin
