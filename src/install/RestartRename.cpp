// The delayed move and the "WinInit.Ini" rename list it falls back on.
#include "install/RestartRename.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "core/Strings.h"

#include <algorithm>
#include <cstring>

namespace corvasin
{

namespace
{
constexpr char c_szHeader[] = "[Rename]\r\n";
constexpr size_t c_cchHeader = sizeof(c_szHeader) - 1;

class UniqueView
{
public:
    explicit UniqueView(void* pv) noexcept : m_pv(static_cast<char*>(pv)) {}
    UniqueView(const UniqueView&) = delete;
    UniqueView& operator=(const UniqueView&) = delete;
    ~UniqueView()
    {
        if (m_pv)
            ::UnmapViewOfFile(m_pv);
    }
    char* get() const noexcept { return m_pv; }

private:
    char* m_pv;
};

// Rewrites the text of the mapped file (cbOld bytes, the mapping cbRoom bytes) and returns the
// new size, or 0 when the entry does not fit the mapping.
size_t InsertEntry(char* pText, size_t cbOld, size_t cbRoom, const CString& line) noexcept
{
    // The file's own bytes are searched, not a zero-terminated text: a zero byte inside the
    // file must not move the end of the text and overwrite what stands behind it.
    char* const pEnd = pText + cbOld;
    const char* pHeader = std::search(pText, pEnd, c_szHeader + 0, c_szHeader + c_cchHeader);
    if (pHeader != pEnd)
    {
        const size_t ibEntry = static_cast<size_t>(pHeader - pText) + c_cchHeader;
        if (cbOld + line.size() > cbRoom)
            return 0;
        std::memmove(pText + ibEntry + line.size(), pText + ibEntry, cbOld - ibEntry);
        std::memcpy(pText + ibEntry, line.data(), line.size());
        return cbOld + line.size();
    }
    // A last line without its line end would run into the header.
    const bool bNeedsLineEnd = cbOld > 0 && pText[cbOld - 1] != '\n';
    size_t cbNew = cbOld;
    if (cbNew + (bNeedsLineEnd ? 2 : 0) + c_cchHeader + line.size() > cbRoom)
        return 0;
    if (bNeedsLineEnd)
    {
        std::memcpy(pText + cbNew, "\r\n", 2);
        cbNew += 2;
    }
    std::memcpy(pText + cbNew, c_szHeader, c_cchHeader);
    cbNew += c_cchHeader;
    std::memcpy(pText + cbNew, line.data(), line.size());
    return cbNew + line.size();
}
} // namespace

BOOL MoveFileAtRestart(LPCSTR pszExisting, LPCSTR pszNew) noexcept
{
    if (!pszExisting || !*pszExisting)
        return FALSE;
    if (::MoveFileExA(pszExisting, pszNew, MOVEFILE_DELAY_UNTIL_REBOOT))
        return TRUE;
    char szWindows[MAX_PATH];
    const UINT cch = ::GetWindowsDirectoryA(szWindows, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return FALSE;
    return AddRenameEntry(szWindows, pszExisting, pszNew);
}

BOOL AddRenameEntry(LPCSTR pszDirectory, LPCSTR pszExisting, LPCSTR pszNew) noexcept
{
    if (!pszDirectory || !*pszDirectory || !pszExisting || !*pszExisting)
        return FALSE;
    try
    {
        CString path = pszDirectory;
        if (path.back() != '\\')
            path += '\\';
        path += "WinInit.Ini";
        const CString line = CString(pszNew ? pszNew : "NUL") + "=" + pszExisting + "\r\n";

        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                 nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return FALSE;
        UniqueHandle hFile(h);

        LARGE_INTEGER liSize = {};
        if (!::GetFileSizeEx(hFile.get(), &liSize) || liSize.QuadPart < 0 ||
            liSize.QuadPart > 0x10000000)
            return FALSE; // no rename list is that long; a mapping of it would not be sane
        const size_t cbOld = static_cast<size_t>(liSize.QuadPart);
        // Room for a line end, the header and the entry behind the file's own bytes.
        const size_t cbRoom = cbOld + 2 + c_cchHeader + line.size();

        size_t cbNew = cbOld;
        BOOL bResult = FALSE;
        {
            UniqueHandle hMapping(::CreateFileMappingA(hFile.get(), nullptr, PAGE_READWRITE, 0,
                                                       static_cast<DWORD>(cbRoom), nullptr));
            UniqueView view(hMapping ? ::MapViewOfFile(hMapping.get(), FILE_MAP_WRITE, 0, 0, cbRoom)
                                     : nullptr);
            if (view.get())
            {
                const size_t cbInserted = InsertEntry(view.get(), cbOld, cbRoom, line);
                if (cbInserted != 0)
                {
                    cbNew = cbInserted;
                    bResult = TRUE;
                }
            }
        }
        // The mapping grew the file to its room; the file ends where its text ends.
        LARGE_INTEGER liEnd;
        liEnd.QuadPart = static_cast<LONGLONG>(cbNew);
        if (!::SetFilePointerEx(hFile.get(), liEnd, nullptr, FILE_BEGIN) ||
            !::SetEndOfFile(hFile.get()))
            return FALSE;
        return bResult;
    }
    CATCH_RETURN(FALSE)
}

} // namespace corvasin
