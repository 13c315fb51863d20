// The dragged .reg file: its private temporary folder, the one render, the removal of stale
// folders, and the three media made from the file.
#include "commands/DragFile.h"

#include "commands/DragFileName.h"
#include "core/Handles.h"
#include "core/Result.h"
#include "registry/ExportFile.h"
#include "registry/FileByteSink.h"

#include <shlwapi.h>

#include <atomic>
#include <cstring>
#include <cwchar>

namespace corvasin
{

namespace
{
constexpr ULONGLONG kTicksPerSecond = 10'000'000; // FILETIME counts 100 ns

ULONGLONG FileTimeValue(const FILETIME& ft) noexcept
{
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// "%TEMP%\Corvasin\", or empty when the system names no temporary folder.
std::wstring DragRoot()
{
    wchar_t szTemp[MAX_PATH + 1];
    const DWORD cch = ::GetTempPathW(MAX_PATH + 1, szTemp);
    if (cch == 0 || cch > MAX_PATH)
        return {};
    std::wstring root(szTemp, cch);
    if (root.back() != L'\\')
        root += L'\\';
    return root + L"Corvasin\\";
}

bool EndsWithRegExtension(const wchar_t* pszName) noexcept
{
    const size_t cch = std::wcslen(pszName);
    return cch > 4 && ::lstrcmpiW(pszName + cch - 4, L".reg") == 0;
}

// Removes what a drag folder of ours holds (its .reg files), then the folder, which stays when
// anything else is in it or a target still has the file open.
void RemoveDragFolder(const std::wstring& dir) noexcept
{
    WIN32_FIND_DATAW fd;
    const HANDLE hFind = ::FindFirstFileW((dir + L"*").c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        UniqueFindHandle find(hFind);
        do
        {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && EndsWithRegExtension(fd.cFileName))
                ::DeleteFileW((dir + fd.cFileName).c_str());
        } while (::FindNextFileW(hFind, &fd));
    }
    ::RemoveDirectoryW(dir.c_str());
}

// Removes the drag folders (of any process) made more than kStaleAfterSeconds ago. Only
// folders named drag-* directly in our root are looked at; links are never followed.
void RemoveStaleDragFolders(const std::wstring& root)
{
    FILETIME ftNow;
    ::GetSystemTimeAsFileTime(&ftNow);
    const ULONGLONG now = FileTimeValue(ftNow);
    WIN32_FIND_DATAW fd;
    const HANDLE hFind = ::FindFirstFileW((root + L"drag-*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    UniqueFindHandle find(hFind);
    do
    {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        if (std::wcsncmp(fd.cFileName, L"drag-", 5) != 0)
            continue;
        const ULONGLONG made = FileTimeValue(fd.ftLastWriteTime) > FileTimeValue(fd.ftCreationTime)
                                   ? FileTimeValue(fd.ftLastWriteTime)
                                   : FileTimeValue(fd.ftCreationTime);
        if (made > now || now - made < CDragFile::kStaleAfterSeconds * kTicksPerSecond)
            continue;
        RemoveDragFolder(root + fd.cFileName + L"\\");
    } while (::FindNextFileW(hFind, &fd));
}

// A new empty drag folder with a name no other render uses, with its trailing backslash; empty
// when none could be made.
std::wstring NewDragFolder(const std::wstring& root)
{
    ::CreateDirectoryW(root.c_str(), nullptr); // usually there already
    static std::atomic<unsigned long> s_nNext{0};
    for (int nTry = 0; nTry < 16; ++nTry)
    {
        wchar_t szName[64];
        std::swprintf(szName, 64, L"drag-%lx-%lx-%lx", ::GetCurrentProcessId(), ::GetTickCount(), ++s_nNext);
        const std::wstring dir = root + szName;
        if (::CreateDirectoryW(dir.c_str(), nullptr))
            return dir + L"\\";
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return {};
    }
    return {};
}

// A new zeroed global block of cb bytes for a medium.
HGLOBAL NewBlock(SIZE_T cb) noexcept { return ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb); }

void SetGlobalMedium(STGMEDIUM* pmedium, HGLOBAL hGlobal) noexcept
{
    pmedium->tymed = TYMED_HGLOBAL;
    pmedium->hGlobal = hGlobal;
    pmedium->pUnkForRelease = nullptr;
}
} // namespace

HRESULT CDragFile::Render(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl) noexcept
{
    // A file removed meanwhile (the folder went stale) is written again.
    if (m_bRendered && ::GetFileAttributesW(m_strPath.c_str()) != INVALID_FILE_ATTRIBUTES)
        return S_OK;
    try
    {
        const std::wstring root = DragRoot();
        RETURN_HR_IF(E_FAIL, root.empty());
        RemoveStaleDragFolders(root);
        const std::wstring name = DragFileName(folder, cidl, apidl);
        const std::wstring dir = NewDragFolder(root);
        RETURN_HR_IF(E_FAIL, dir.empty());
        const std::wstring path = dir + name;

        CFileByteSink file;
        if (!file.Create(path.c_str()))
        {
            const HRESULT hr = HrFromWin32(static_cast<LONG>(::GetLastError()));
            ::RemoveDirectoryW(dir.c_str());
            return hr;
        }
        const bool bWritten = WriteExportFile(folder, cidl, apidl, false, file);
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (!file.Close() || !bWritten || !::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        {
            RemoveDragFolder(dir);
            return STG_E_WRITEFAULT;
        }
        m_strName = name;
        m_strPath = path;
        m_cbFile = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        m_ftWritten = data.ftLastWriteTime;
        m_bRendered = true;
        return S_OK;
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

HRESULT CDragFile::GetDescriptor(STGMEDIUM* pmedium) const noexcept
{
    RETURN_HR_IF(E_UNEXPECTED, !m_bRendered);
    UniqueHGlobal block(NewBlock(sizeof(FILEGROUPDESCRIPTORW)));
    RETURN_HR_IF_NULL(E_OUTOFMEMORY, block.get());
    {
        GlobalLock lock(block.get());
        auto* pGroup = lock.as<FILEGROUPDESCRIPTORW>();
        RETURN_HR_IF_NULL(E_OUTOFMEMORY, pGroup);
        pGroup->cItems = 1;
        FILEDESCRIPTORW& fd = pGroup->fgd[0];
        fd.dwFlags = FD_ATTRIBUTES | FD_FILESIZE | FD_WRITESTIME | FD_PROGRESSUI | FD_UNICODE;
        fd.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
        fd.ftLastWriteTime = m_ftWritten;
        fd.nFileSizeHigh = static_cast<DWORD>(m_cbFile >> 32);
        fd.nFileSizeLow = static_cast<DWORD>(m_cbFile);
        ::lstrcpynW(fd.cFileName, m_strName.c_str(), MAX_PATH);
    }
    // The block belongs to the caller, who frees it with ReleaseStgMedium.
    SetGlobalMedium(pmedium, block.release());
    return S_OK;
}

HRESULT CDragFile::GetContents(DWORD tymed, STGMEDIUM* pmedium) const noexcept
{
    RETURN_HR_IF(E_UNEXPECTED, !m_bRendered);
    if (tymed & TYMED_ISTREAM)
    {
        IStream* pStream = nullptr;
        RETURN_IF_FAILED(::SHCreateStreamOnFileEx(m_strPath.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE,
                                                  FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &pStream));
        // The stream's one reference belongs to the caller.
        pmedium->tymed = TYMED_ISTREAM;
        pmedium->pstm = pStream;
        pmedium->pUnkForRelease = nullptr;
        return S_OK;
    }
    RETURN_HR_IF(DV_E_TYMED, !(tymed & TYMED_HGLOBAL));
    RETURN_HR_IF(STG_E_MEDIUMFULL, m_cbFile > kMaxGlobalContents);

    const DWORD cb = static_cast<DWORD>(m_cbFile);
    // GlobalAlloc makes no empty block; a file always holds its header anyway.
    UniqueHGlobal block(NewBlock(cb ? cb : 1));
    RETURN_HR_IF_NULL(E_OUTOFMEMORY, block.get());
    const HANDLE hOpened = ::CreateFileW(m_strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
    RETURN_HR_IF(HrFromWin32(static_cast<LONG>(::GetLastError())), hOpened == INVALID_HANDLE_VALUE);
    UniqueHandle file(hOpened);
    {
        GlobalLock lock(block.get());
        RETURN_HR_IF_NULL(E_OUTOFMEMORY, lock.get());
        DWORD cbRead = 0;
        if (cb > 0 && (!::ReadFile(file.get(), lock.get(), cb, &cbRead, nullptr) || cbRead != cb))
            return STG_E_READFAULT;
    }
    SetGlobalMedium(pmedium, block.release());
    return S_OK;
}

HRESULT CDragFile::GetDropFiles(STGMEDIUM* pmedium) const noexcept
{
    RETURN_HR_IF(E_UNEXPECTED, !m_bRendered);
    // The path, then the empty name that ends the list.
    const SIZE_T cbNames = (m_strPath.size() + 2) * sizeof(wchar_t);
    UniqueHGlobal block(NewBlock(sizeof(DROPFILES) + cbNames));
    RETURN_HR_IF_NULL(E_OUTOFMEMORY, block.get());
    {
        GlobalLock lock(block.get());
        auto* pDrop = lock.as<DROPFILES>();
        RETURN_HR_IF_NULL(E_OUTOFMEMORY, pDrop);
        pDrop->pFiles = sizeof(DROPFILES);
        pDrop->fWide = TRUE;
        std::memcpy(pDrop + 1, m_strPath.c_str(), m_strPath.size() * sizeof(wchar_t));
    }
    SetGlobalMedium(pmedium, block.release());
    return S_OK;
}

} // namespace corvasin
