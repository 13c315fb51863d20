// Writing and deleting the web view files, and opening the installed about page.
#include "install/WebFiles.h"

#include "core/Handles.h"
#include "core/Module.h"
#include "core/Result.h"
#include "resource.h"

#include <shellapi.h>

namespace corvasin
{

namespace
{
constexpr WebFile c_webFiles[] = {
    {IDR_WEB_ABOUT, "Corvasin.html"},
    {IDR_WEB_TEMPLATE, "Corvasin.htt"},
    {IDR_WEB_STYLE, "Corvasin.css"},
    {IDR_WEB_CORNER, "cvcorner.gif"},
    {IDR_WEB_BACKGROUND, "cvbgcrnr.gif"},
};

// The page the about command opens; the file system does not look at case.
constexpr const char* c_pszAboutPage = "corvasin.html";

CString WebFilePath(LPCSTR pszName)
{
    CString path = WebFolderPath();
    if (!path.empty())
        path += pszName;
    return path;
}
} // namespace

std::span<const WebFile> WebFiles() noexcept { return c_webFiles; }

CString WebFolderPath()
{
    char szWindows[MAX_PATH];
    const UINT cch = ::GetWindowsDirectoryA(szWindows, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return {};
    CString path(szWindows, cch);
    if (path.back() != '\\')
        path += '\\';
    path += "Web\\";
    return path;
}

BOOL WriteWebFile(WORD idResource, LPCSTR pszName) noexcept
{
    try
    {
        const HINSTANCE hInstance = ModuleInstance();
        const HRSRC hResource = ::FindResourceA(hInstance, MAKEINTRESOURCEA(idResource), "File");
        if (!hResource)
            return FALSE;
        const HGLOBAL hData = ::LoadResource(hInstance, hResource);
        const void* pvData = hData ? ::LockResource(hData) : nullptr;
        const DWORD cbData = ::SizeofResource(hInstance, hResource);
        if (!pvData)
            return FALSE;

        const CString path = WebFilePath(pszName);
        if (path.empty())
            return FALSE;
        // A fresh Windows directory (every Wine prefix) has no Web folder; without it the
        // registered web view and the about command would point at files never written.
        const CString folder = WebFolderPath();
        ::CreateDirectoryA(folder.c_str(), nullptr);

        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return FALSE;
        UniqueHandle hFile(h);
        DWORD cbWritten = 0;
        const bool bWhole =
            ::WriteFile(hFile.get(), pvData, cbData, &cbWritten, nullptr) && cbWritten == cbData;
        hFile.reset();
        if (!bWhole)
        {
            // Half a template is worse than none: the shell would show a broken view.
            ::DeleteFileA(path.c_str());
            return FALSE;
        }
        return TRUE;
    }
    CATCH_RETURN(FALSE)
}

BOOL DeleteWebFile(LPCSTR pszName) noexcept
{
    try
    {
        const CString path = WebFilePath(pszName);
        if (path.empty())
            return FALSE;
        if (::DeleteFileA(path.c_str()))
            return TRUE;
        const DWORD dwError = ::GetLastError();
        return dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND;
    }
    CATCH_RETURN(FALSE)
}

void WriteWebFiles() noexcept
{
    for (const WebFile& file : c_webFiles)
        (void)WriteWebFile(file.idResource, file.pszName);
}

void DeleteWebFiles() noexcept
{
    for (const WebFile& file : c_webFiles)
        (void)DeleteWebFile(file.pszName);
}

BOOL OpenAboutPage() noexcept
{
    try
    {
        const CString path = WebFilePath(c_pszAboutPage);
        if (!path.empty())
            ::ShellExecuteA(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOW);
        return TRUE;
    }
    CATCH_RETURN(FALSE)
}

} // namespace corvasin
