// CRegkeyExtension: the folder of one registry key. Its subkeys are sub-folders; "(default)"
// and its values are items. It keeps its key open for its whole life and reads everything else
// afresh from the registry on every request. It lists, names, describes and binds; what the
// shell asks of it that is a command (delete, rename, drop, Find..., security, the toolbar's
// Export) it hands to the commands through its services record.
//
// Threading: the shell view's thread, except SearchKey, which the search thread calls.
#pragma once

#include "framework/NameSpaceExtension.h"
#include "registry/RegFolder.h"
#include "registry/RegServices.h"
#include "registry/RegItem.h"

#include <string>
#include <vector>

namespace corvasin
{

class CSearchWalk;

class CRegkeyExtension : public CNameSpaceExtension
{
public:
    // hRootKey: the predefined key the folder's key lies under (none for the root folder);
    // pszKeyPath: the path below it, empty for the predefined key itself; pServices: what the
    // product gives the folders (kept, not copied: it lives as long as the module).
    // pszRealPath: the path by the keys' real names when a name on it does not survive the
    // code page (null: the path itself); the key is opened by it.
    CRegkeyExtension(CNameSpaceExtension* pParent, HKEY hRootKey, const char* pszKeyPath,
                     const CRegServices* pServices, const wchar_t* pszRealPath = nullptr) noexcept;

    void* GetInterface(REFIID riid) noexcept override;

    const CLSID& GetCLSID() noexcept override;
    BOOL GetFirstItem(void* pItem, DWORD* pdwContext, DWORD grfFlags) noexcept override;
    BOOL GetNextItem(const void* pPrevious, void* pItem, DWORD* pdwContext,
                     DWORD grfFlags) noexcept override;
    BOOL IsOwnItem(const void* pItem) noexcept override;
    UINT GetItemDataSize() noexcept override;
    CString GetItemName(const void* pItem, DWORD uFlags) noexcept override;
    CNameSpaceExtension* CreateSubFolder(const void* pItem) noexcept override;
    CCmdTarget* CreateUIObject(UINT cidl, LPCITEMIDLIST* apidl, HWND hwndOwner) noexcept override;
    int GetIconIndex(const void* pItem, UINT uFlags, UINT* pwFlags) noexcept override;
    ULONG GetItemAttributes(const void* pItem) noexcept override;
    int CompareItems(LPARAM lParam, const void* pItem1, const void* pItem2) noexcept override;
    CString GetColumnTitle(int iColumn) noexcept override;
    CString GetColumnText(const void* pItem, int iColumn) noexcept override;
    BOOL SetItemName(void* pItem, const CString& strName) noexcept override;
    BOOL GetButtonInfo(TBINFO* pInfo) noexcept override;
    BOOL Drop(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt,
              DWORD* pdwEffect) noexcept override;
    DWORD QueryDrop(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt,
                    BOOL bEntering) noexcept override;
    BOOL GetButtons(HWND hwndMain, UINT idCmdFirst, TBBUTTON* pButtons) noexcept override;
    BOOL InvokeViewCommand(HWND hwndMain, UINT idCmd) noexcept override;
    const void* GetToolTipText(UINT idCmd) noexcept override;
    HRESULT ParseDisplayName(HWND hwnd, LPBC pbc, LPOLESTR pszDisplayName, ULONG* pchEaten,
                             LPITEMIDLIST* ppidl, ULONG* pdwAttributes) noexcept override;
    BOOL GetFindData(const void* pItem, WIN32_FIND_DATAW* pFindData) noexcept override;
    BOOL GetDefaultColumn(ULONG* pSort, ULONG* pDisplay) noexcept override;
    BOOL GetDefaultColumnState(UINT iColumn, DWORD* pcsFlags) noexcept override;
    LPCSTR GetWebViewTemplate() noexcept override;
    CString GetUrlProtocol() noexcept override;
    // A value opened by the shell (double click, Enter) opens its editor.
    BOOL ExecuteItem(const void* pItem, HWND hwnd, LPCWSTR pszVerb) noexcept override;

    // The commands the shell and the menus ask the folder for; the commands floor does them.
    // DeleteItems answers TRUE whatever became of each item (every failure is silent there).
    virtual BOOL DeleteItems(UINT cidl, LPCITEMIDLIST* apidl) noexcept;
    virtual BOOL FindItems(UINT cidl, LPCITEMIDLIST* apidl, HWND hwndOwner) noexcept;
    // Searches this folder's key and everything below it for the search thread, reporting to
    // pSearch; FALSE when the search was stopped (its window closed) during the walk.
    virtual BOOL SearchKey(CSearchWalk* pSearch) noexcept;
    // Opens the system's access-control editor on this folder's key; the editor's result
    // (FALSE, doing nothing, on systems without the editor).
    virtual BOOL EditKeySecurity(HWND hwndOwner) noexcept;
    // The registry root: its items are the predefined keys, which are never deleted, and its
    // Find... searches everything.
    bool IsRegistryRoot() const noexcept { return m_hRootKey == nullptr; }

    // The folder object of a key item of this folder as a key folder, with one reference for
    // the caller; null for any other item or when it cannot be made.
    CmdTargetPtr<CRegkeyExtension> GetKeySubFolder(const REGITEM& item) noexcept;

    HKEY GetRootKey() const noexcept { return m_hRootKey; }
    const CString& GetKeyPath() const noexcept { return m_strKeyPath; }
    // The path by the keys' real names.
    const std::wstring& GetRealKeyPath() const noexcept { return m_strRealKeyPath; }
    // The real name of the entry of this folder's key that an item names (empty: "(default)");
    // false when it cannot be found for certain, and then nothing may act on the item.
    bool FindRealName(const REGITEM& item, std::wstring& name) const noexcept;
    HKEY GetOpenKey() const noexcept { return m_hKey.get(); }
    const CRegServices& GetServices() const noexcept { return *m_pServices; }
    // The window the folder's view was made for, while it exists; else none.
    HWND LiveOwnerWindow() noexcept;

    class XRegFolder : public CInterfacePart<CRegkeyExtension, IRegFolder>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetKey(HKEY* phKey) override;
        STDMETHODIMP GetPath(BSTR* pbstrPath) override;
    } m_xRegFolder{this};

protected:
    ~CRegkeyExtension() override = default;

    // The item to deliver when the keys are done: "(default)" with the non-folder flag.
    BOOL DeliverDefaultItem(void* pItem, DWORD grfFlags) noexcept;
    // Turns the first component of a location text into the record of its item; false when
    // the component names no item of this folder.
    using FirstItemMaker = bool (*)(const std::wstring& component, REGITEM* pItem);

    // The parse both folders share: skips the prefix, makes the id of the first component (the
    // host's delegate form when it gave an item allocator) and lets the folder of that item
    // parse the rest of the text.
    HRESULT ParseLocation(LPOLESTR pszDisplayName, bool bLongPrefixIgnoresCase,
                          FirstItemMaker pfnMakeItem, HWND hwnd, ULONG* pchEaten,
                          LPITEMIDLIST* ppidl, ULONG* pdwAttributes) noexcept;
    HRESULT CompleteParse(const REGITEM& item, const wchar_t* pszText, const wchar_t* pszRest,
                          HWND hwnd, ULONG* pchEaten, LPITEMIDLIST* ppidl,
                          ULONG* pdwAttributes) noexcept;
    // The item of the subkey listed under a real name (compared without regard to case); false
    // when the key has none.
    bool FindListedSubkey(const std::wstring& realName, REGITEM* pItem) const noexcept;
    // The path of a subkey of this folder's key.
    CString SubkeyPath(const char* pszName) const;

private:
    bool OpenBelowParent(CNameSpaceExtension* pParent) noexcept;
    // The operations below take the record decoded once by their caller.
    CString ValueText(const REGITEM& item) const;
    CString ItemDetailText(const REGITEM& item, int iColumn) noexcept;
    void FillFindData(const REGITEM& item, WIN32_FIND_DATAW* pFindData) const noexcept;

    const CRegServices* m_pServices;
    HKEY m_hRootKey;
    CString m_strKeyPath;
    std::wstring m_strRealKeyPath;
    UniqueHkey m_hKey; // the root key itself when the path is empty; never closed then
    std::wstring m_strToolTip;
};

} // namespace corvasin
