// CShellUIObject: what a folder hands the shell for a selection of its items. One object is the
// selection's data object (clipboard, drag and drop), its context menu and its info tip source;
// created without items by a class factory it is the context menu handler of the namespace's own
// icon. Everything item-specific is asked of the items' folder object; the base knows nothing
// of the registry.
//
// Ownership: holds one reference on its folder and on its site, owns its id list clones and the
// stored media. Used on the shell's thread that created it; the reference count is atomic.
#pragma once

#include "core/CmdTarget.h"
#include "core/CmdTargetPtr.h"
#include "core/ComPtr.h"
#include "core/Handles.h"
#include "framework/FolderMenu.h"

#include <windows.h>
#include <shlobj.h>
#include <vector>

namespace corvasin
{

class CNameSpaceExtension;

class CShellUIObject : public CCmdTarget
{
public:
    // The base menu uses the offsets of FolderCommand (6 is the folder menu's own).
    static constexpr int kMaxStoredFormats = 10;

    // Clones every item id list and the folder id list; takes a reference on the folder.
    CShellUIObject(CNameSpaceExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                   LPCITEMIDLIST pidlFolder, HWND hwndOwner) noexcept;

    void* GetInterface(REFIID riid) noexcept override;

    // ---- virtual operations ---------------------------------------------------------------------
    virtual BOOL GetFormatEtc(int nIndex, FORMATETC* pFormatEtc) noexcept;
    virtual BOOL IsFormatAvailable(CLIPFORMAT cf) noexcept;
    // Writes the payload of cf into hGlobal, which must be at least GetDataSize(cf) bytes.
    virtual BOOL RenderData(CLIPFORMAT cf, HGLOBAL hGlobal) noexcept;
    virtual SIZE_T GetDataSize(CLIPFORMAT cf) noexcept;
    // A new format enumerator with one reference, or null.
    virtual IEnumFORMATETC* CreateFormatEnumerator(DWORD dwDirection) noexcept;
    // The formats a derived object hands out in media of its own choosing (a stream, an item
    // index in lindex): S_FALSE when fe is not one of them, else what GetData answers, or with
    // no pmedium what QueryGetData answers. Asked before the global-block formats above.
    virtual HRESULT GetOwnData(const FORMATETC& fe, STGMEDIUM* pmedium) noexcept;
    virtual HRESULT OnQueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst,
                                       UINT idCmdLast, UINT uFlags) noexcept;
    virtual BOOL OnInvokeCommand(LPCMINVOKECOMMANDINFO pici) noexcept;
    virtual BOOL OnDelete() noexcept;
    virtual BOOL OnCut() noexcept;
    virtual BOOL OnCopy() noexcept;
    virtual BOOL OnPaste() noexcept;
    virtual BOOL OnProperties() noexcept;
    virtual BOOL OnRename() noexcept;
    virtual BOOL OnMenuMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;
    // The class id the derived UI object class is registered under.
    virtual const CLSID& GetClassID() noexcept = 0;
    // The folder to use when IShellExtInit finds none; not counted (the caller adds a reference).
    virtual CNameSpaceExtension* GetDefaultFolder() noexcept;

    // ---- read-only views for the derived commands ---------------------------------------------
    UINT GetItemCount() const noexcept { return m_nItems; }
    LPCITEMIDLIST GetItem(UINT i) const noexcept
    {
        return i < m_nItems ? m_apidlItems[i].get() : nullptr;
    }
    CNameSpaceExtension* GetFolder() const noexcept { return m_pFolder.get(); }
    HWND GetOwnerWindow() const noexcept { return m_hwndOwner; }

protected:
    ~CShellUIObject() override;

    // The item data of item i (the bytes after its size word), checked against the folder's item
    // size; null without a folder or for an id too short to hold the data.
    const BYTE* ItemData(UINT i) const noexcept;
    // Attributes of the first item; 0 without a folder or without items.
    ULONG FirstItemAttributes() const noexcept;
    // The absolute id list of the items' folder: the folder object's own, else the one given at
    // creation; null when neither is known.
    LPCITEMIDLIST FolderIdList() const noexcept;
    // Builds the "Shell IDList Array" payload (CIDA) into a block of at least cb bytes.
    BOOL RenderIdListArray(BYTE* pBlock, SIZE_T cb) const noexcept;
    SIZE_T IdListArraySize() const noexcept;
    // Opens or explores every item through the shell, then lets the shell's windows catch up.
    BOOL OpenItems(HWND hwnd, const char* pszVerb) noexcept;
    // Forgets the items (the object then stands for its folder's own icon).
    void ForgetItems() noexcept;
    // Replaces the folder, taking a reference on the new one.
    void SetFolder(CNameSpaceExtension* pFolder) noexcept;

    struct StoredFormat
    {
        BOOL bUsed = FALSE;
        CLIPFORMAT cfFormat = 0;
        DWORD tymed = TYMED_NULL;
        UniqueStgMedium medium;
    };
    int FindStoredFormat(CLIPFORMAT cf) const noexcept;

    // ---- members ----------------------------------------------------------------------------------
    UINT m_nItems = 0;
    std::vector<UniquePidl> m_apidlItems; // clones of the items' relative id lists
    UniquePidl m_pidlFolder;              // clone of the folder's absolute id list, or none
    LONG m_nStrongConnections = 0;
    LONG m_nWeakConnections = 0; // guards ReleaseConnection against unmatched calls
    CmdTargetPtr<CNameSpaceExtension> m_pFolder;
    StoredFormat m_storedFormats[kMaxStoredFormats];
    int m_nStoredFormats = 0; // entries are only appended, never removed
    HWND m_hwndOwner = nullptr;
    ComPtr<IUnknown> m_pSite;

public:
    // ---- interface parts ------------------------------------------------------------------------
    class XDataObject : public CInterfacePart<CShellUIObject, IDataObject>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override;
        STDMETHODIMP GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override;
        STDMETHODIMP QueryGetData(FORMATETC* pformatetc) override;
        STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* pformatectIn,
                                           FORMATETC* pformatetcOut) override;
        STDMETHODIMP SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override;
        STDMETHODIMP EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override;
        STDMETHODIMP DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                             DWORD* pdwConnection) override;
        STDMETHODIMP DUnadvise(DWORD dwConnection) override;
        STDMETHODIMP EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override;
    } m_xDataObject{this};

    class XExternalConnection : public CInterfacePart<CShellUIObject, IExternalConnection>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP_(DWORD) AddConnection(DWORD extconn, DWORD reserved) override;
        STDMETHODIMP_(DWORD) ReleaseConnection(DWORD extconn, DWORD reserved,
                                               BOOL fLastReleaseCloses) override;
    } m_xExternalConnection{this};

    // IContextMenu, IContextMenu2 and IContextMenu3 in one part.
    class XContextMenu : public CInterfacePart<CShellUIObject, IContextMenu3>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                      UINT uFlags) override;
        STDMETHODIMP InvokeCommand(LPCMINVOKECOMMANDINFO pici) override;
        STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, LPSTR pszName,
                                      UINT cchMax) override;
        STDMETHODIMP HandleMenuMsg(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
        STDMETHODIMP HandleMenuMsg2(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                    LRESULT* plResult) override;
    } m_xContextMenu{this};

    class XObjectWithSite : public CInterfacePart<CShellUIObject, IObjectWithSite>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP SetSite(IUnknown* pUnkSite) override;
        STDMETHODIMP GetSite(REFIID riid, void** ppvSite) override;
    } m_xObjectWithSite{this};

    class XQueryInfo : public CInterfacePart<CShellUIObject, IQueryInfo>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetInfoTip(DWORD dwFlags, LPWSTR* ppwszTip) override;
        STDMETHODIMP GetInfoFlags(DWORD* pdwFlags) override;
    } m_xQueryInfo{this};

    class XShellExtInit : public CInterfacePart<CShellUIObject, IShellExtInit>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP Initialize(LPCITEMIDLIST pidlFolder, IDataObject* pdtobj,
                                HKEY hkeyProgID) override;
    } m_xShellExtInit{this};
};

} // namespace corvasin
