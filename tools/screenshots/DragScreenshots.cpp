// A picture of registry items dragged out onto a folder, as Wine's own folder window shows the
// result: drag-to-folder.bmp in the current directory. The program hands the data object of two
// selections (a key, a value) to the system's drop target of a folder, as a drag does; Wine's
// target writes nothing (it prints what it would copy), so the program then saves each file the
// way Windows' shell saves a dropped file it is given by descriptor and contents. Wine's
// explorer, opened on that folder, is what the picture shows.
#include "app/CorvasinFactory.h"
#include "core/ComPtr.h"
#include "core/Handles.h"
#include "framework/ItemIdList.h"
#include "framework/ShellFormats.h"
#include "registry/RegItem.h"
#include "registry/RegkeyExtension.h"
#include "registry/RegistryTree.h"

#include "../browse/WindowCapture.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

using namespace corvasin;

namespace
{
const char* const kSampleKey = "Software\\Corvasin Sample";

void PrepareSampleKey()
{
    (void)DeleteRegKeyTree(HKEY_CURRENT_USER, kSampleKey);
    UniqueHkey key;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kSampleKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    static const char c_text[] = "C:\\Program Files\\Corvasin";
    const DWORD dw = 3600;
    ::RegSetValueExA(key.get(), "InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(c_text), sizeof(c_text));
    ::RegSetValueExA(key.get(), "CacheTimeout", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
    UniqueHkey sub;
    ::RegCreateKeyExA(key.get(), "Settings", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, sub.put(), nullptr);
}

UniquePidl ItemOf(DWORD dwKind, const char* pszName, DWORD dwType = 0)
{
    const REGITEM item = MakeRegItem(dwKind, 0, pszName, dwType);
    return UniquePidl(MakeItemIdList(&item, sizeof(item)));
}

// The data object of one item of HKCU\<path>, as the folder hands it to a drag.
ComPtr<IDataObject> DataOf(const char* pszPath, LPCITEMIDLIST pidlItem)
{
    auto* pFolder = new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, pszPath, &RegistryServices());
    auto folder = ComPtr<IShellFolder>::Attach(static_cast<IShellFolder*>(pFolder->GetInterface(IID_IShellFolder)));
    ComPtr<IDataObject> data;
    folder->GetUIObjectOf(nullptr, 1, &pidlItem, IID_IDataObject, nullptr, data.put_void());
    return data;
}

// A drag that ends on the folder with Control held (a copy), through the system's drop target.
void DropOnSystemFolder(IShellFolder* pTarget, IDataObject* pData)
{
    ComPtr<IDropTarget> drop;
    if (FAILED(pTarget->CreateViewObject(nullptr, IID_IDropTarget, drop.put_void())))
        return;
    DWORD dwEffect = DROPEFFECT_COPY;
    drop->DragEnter(pData, MK_LBUTTON | MK_CONTROL, POINTL{}, &dwEffect);
    dwEffect = DROPEFFECT_COPY;
    drop->Drop(pData, MK_CONTROL, POINTL{}, &dwEffect);
}

// Saves the one file the data object describes into the folder, from its descriptor and its
// contents as a stream. False when the data object has no such file.
bool SaveDescribedFile(IDataObject* pData, const std::wstring& folder)
{
    FORMATETC fe = {FileDescriptorFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(pData->GetData(&fe, &medium)))
        return false;
    std::wstring name;
    {
        corvasin::GlobalLock lock(medium.hGlobal);
        if (const auto* pGroup = lock.as<FILEGROUPDESCRIPTORW>())
            name = pGroup->fgd[0].cFileName;
    }
    ::ReleaseStgMedium(&medium);

    fe = {FileContentsFormat(), nullptr, DVASPECT_CONTENT, 0, TYMED_ISTREAM};
    if (name.empty() || FAILED(pData->GetData(&fe, &medium)))
        return false;
    const HANDLE hFile = ::CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    bool bOk = hFile != INVALID_HANDLE_VALUE;
    if (bOk)
    {
        UniqueHandle file(hFile);
        char buffer[4096];
        ULONG cb = 0;
        while (SUCCEEDED(medium.pstm->Read(buffer, sizeof(buffer), &cb)) && cb > 0)
        {
            DWORD cbWritten = 0;
            bOk = bOk && ::WriteFile(file.get(), buffer, cb, &cbWritten, nullptr) && cbWritten == cb;
        }
    }
    ::ReleaseStgMedium(&medium);
    return bOk;
}

struct FindWindowOf
{
    DWORD dwProcessId;
    HWND hwnd;
};

BOOL CALLBACK OnTopWindow(HWND hwnd, LPARAM lParam) noexcept
{
    auto* pFind = reinterpret_cast<FindWindowOf*>(lParam);
    DWORD dwPid = 0;
    ::GetWindowThreadProcessId(hwnd, &dwPid);
    if (dwPid == pFind->dwProcessId && ::IsWindowVisible(hwnd) && ::GetWindow(hwnd, GW_OWNER) == nullptr)
    {
        pFind->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ::OleInitialize(nullptr);
    PrepareSampleKey();

    wchar_t szDocuments[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, szDocuments);
    const std::wstring folder = std::wstring(szDocuments) + L"\\Dragged from the registry\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* pszOld : {L"Corvasin Sample.reg", L"InstallDir.reg"})
        ::DeleteFileW((folder + pszOld).c_str());

    ComPtr<IShellFolder> desktop, target;
    ::SHGetDesktopFolder(desktop.put());
    std::wstring display = folder;
    UniquePidl pidlTarget;
    desktop->ParseDisplayName(nullptr, nullptr, display.data(), nullptr, pidlTarget.put(), nullptr);
    desktop->BindToObject(pidlTarget.get(), nullptr, IID_IShellFolder, target.put_void());

    UniquePidl key = ItemOf(REGITEM_KEY, "Corvasin Sample");
    UniquePidl value = ItemOf(REGITEM_VALUE, "InstallDir", REG_SZ);
    int nFailures = 0;
    for (auto [pszPath, pidl] : {std::pair{"Software", key.get()}, std::pair{kSampleKey, value.get()}})
    {
        ComPtr<IDataObject> data = DataOf(pszPath, pidl);
        if (!data || !target)
        {
            ++nFailures;
            continue;
        }
        DropOnSystemFolder(target.get(), data.get());
        std::printf("after the system's drop: %s\n",
                    ::GetFileAttributesW((folder + (pidl == key.get() ? L"Corvasin Sample.reg" : L"InstallDir.reg")).c_str()) ==
                            INVALID_FILE_ATTRIBUTES
                        ? "no file"
                        : "a file");
        if (!SaveDescribedFile(data.get(), folder))
            ++nFailures;
    }

    // Wine's explorer on the folder, pictured once it has drawn its list.
    std::wstring command = L"explorer.exe \"" + folder.substr(0, folder.size() - 1) + L"\"";
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return nFailures + 1;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    FindWindowOf find = {pi.dwProcessId, nullptr};
    for (int i = 0; i < 100 && !find.hwnd; ++i)
    {
        ::Sleep(100);
        ::EnumWindows(OnTopWindow, reinterpret_cast<LPARAM>(&find));
    }
    if (!find.hwnd)
        ++nFailures;
    else
    {
        ::SetWindowPos(find.hwnd, HWND_TOP, 40, 40, 720, 420, SWP_SHOWWINDOW);
        ::Sleep(3000);
        RECT rc = {};
        ::GetWindowRect(find.hwnd, &rc);
        if (FAILED(CaptureScreenRectToBmp(rc, L"drag-to-folder.bmp")))
            ++nFailures;
        ::PostMessageW(find.hwnd, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.get(), 0);

    (void)DeleteRegKeyTree(HKEY_CURRENT_USER, kSampleKey);
    ::OleUninitialize();
    return nFailures;
}
