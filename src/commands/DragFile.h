// CDragFile: the .reg file that a selection of registry items becomes for a file-system target
// (a drop or a paste onto a folder or the desktop): written once, when a target first asks,
// into a private temporary folder %TEMP%\Corvasin\drag-<unique>\<name>.reg, and handed out as
// a file descriptor, as its contents (a stream over the file, or a global block up to
// kMaxGlobalContents) and as a dropped path (CF_HDROP).
//
// Ownership: owns nothing but names; the file outlives the object on purpose (a target may read
// it after the data object is gone) and is removed by a later render once it is stale. Used on
// the thread of the data object that holds it.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace corvasin
{

class CRegkeyExtension;

class CDragFile
{
public:
    // The largest file handed out in a global block: a whole hive's export in memory would
    // take gigabytes. Targets that take a stream get any size.
    static constexpr ULONGLONG kMaxGlobalContents = 64ull * 1024 * 1024;
    // Drag folders older than this are removed by the next render of any data object.
    static constexpr ULONGLONG kStaleAfterSeconds = 60 * 60;

    CDragFile() noexcept = default;
    CDragFile(const CDragFile&) = delete;
    CDragFile& operator=(const CDragFile&) = delete;

    // Writes the normal export of the items (the folder's whole key when cidl is 0) into a new
    // drag folder, the first time only: later calls keep that file while it exists.
    HRESULT Render(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl) noexcept;

    // The media, each a new block or stream the caller releases (after Render).
    // A FILEGROUPDESCRIPTORW with the one file.
    HRESULT GetDescriptor(STGMEDIUM* pmedium) const noexcept;
    // The file's bytes: a stream when tymed allows one, else a global block.
    HRESULT GetContents(DWORD tymed, STGMEDIUM* pmedium) const noexcept;
    // A DROPFILES block naming the file in the drag folder.
    HRESULT GetDropFiles(STGMEDIUM* pmedium) const noexcept;

    bool IsRendered() const noexcept { return m_bRendered; }
    const std::wstring& Name() const noexcept { return m_strName; }
    const std::wstring& Path() const noexcept { return m_strPath; }

private:
    bool m_bRendered = false;
    std::wstring m_strName; // "<name>.reg"
    std::wstring m_strPath; // the file in its drag folder
    ULONGLONG m_cbFile = 0;
    FILETIME m_ftWritten = {};
};

} // namespace corvasin
