// Opens the two change windows on sample keys and saves what the screen shows of each as a
// 24-bit BMP in the current directory: compare-keys.bmp (Compare on two keys) and
// merge-preview.bmp (the preview of a registration file dropped on a key). Each window runs on a
// thread of its own; this one waits until its list is filled, lets it paint and takes it.
#include "commands/CompareCommand.h"
#include "commands/ImportCommand.h"
#include "app/CorvasinFactory.h"
#include "core/CmdTargetPtr.h"
#include "core/Handles.h"
#include "framework/ItemIdList.h"
#include "registry/RegItem.h"
#include "registry/RegistryTree.h"
#include "registry/RegkeyExtension.h"

#include "../browse/WindowCapture.h"
#include "resource.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>

using namespace corvasin;

namespace
{
const char* const kSampleKey = "Software\\Corvasin Sample";

void Set(const char* pszKey, const char* pszName, DWORD dwType, const void* pData, DWORD cb)
{
    const std::string path = std::string(kSampleKey) + "\\" + pszKey;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), pszName, dwType, pData, cb);
}

void PrepareSampleKeys()
{
    (void)DeleteRegKeyTree(HKEY_CURRENT_USER, kSampleKey);
    const DWORD dwOld = 3600, dwNew = 7200;
    Set("Before", "CacheTimeout", REG_DWORD, &dwOld, sizeof(dwOld));
    Set("After", "CacheTimeout", REG_DWORD, &dwNew, sizeof(dwNew));
    Set("Before", "InstallDir", REG_SZ, "C:\\Program Files\\Corvasin", 26);
    Set("After", "InstallDir", REG_SZ, "D:\\Apps\\Corvasin", 17);
    Set("Before", "Legacy", REG_SZ, "yes", 4);
    Set("After", "Theme", REG_SZ, "dark", 5);
    Set("Before\\Plugins\\Spell", "Enabled", REG_DWORD, &dwOld, sizeof(dwOld));
    Set("After\\Plugins\\Spell", "Enabled", REG_DWORD, &dwOld, sizeof(dwOld));
    Set("After\\Plugins\\Sync", "Server", REG_SZ, "sync.corvasin.example", 22);
    Set("Before\\Toolbars", "Visible", REG_BINARY, "\x01\x00\x01", 3);
}

// Waits for the window of the title to finish its work, then pictures it and closes it.
bool CaptureWhenDone(const char* pszTitle, const wchar_t* pszFile)
{
    HWND hwnd = nullptr;
    for (int i = 0; i < 3000; ++i)
    {
        hwnd = ::FindWindowA("#32770", pszTitle);
        char szStatus[256] = "";
        if (hwnd && ::GetDlgItemTextA(hwnd, IDC_CHANGES_STATUS, szStatus, sizeof(szStatus)) &&
            strcmp(szStatus, "Working...") != 0)
            break;
        hwnd = nullptr;
        ::Sleep(10);
    }
    if (!hwnd)
    {
        std::fprintf(stderr, "no window \"%s\"\n", pszTitle);
        return false;
    }
    ::SetForegroundWindow(hwnd);
    ::Sleep(1500);
    RECT rc = {};
    ::GetWindowRect(hwnd, &rc);
    const bool bOk = SUCCEEDED(CaptureScreenRectToBmp(rc, pszFile));
    ::PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    return bOk;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ::OleInitialize(nullptr);
    PrepareSampleKeys();
    auto folder = CmdTargetPtr<CRegkeyExtension>::Attach(
        new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, kSampleKey, &RegistryServices()));
    int nFailures = 0;

    // Compare on the two keys, as the item menu runs it.
    const REGITEM before = MakeRegItem(REGITEM_KEY, 0, "Before"), after = MakeRegItem(REGITEM_KEY, 0, "After");
    const UniquePidl pidlBefore(MakeItemIdList(&before, sizeof(before)));
    const UniquePidl pidlAfter(MakeItemIdList(&after, sizeof(after)));
    const LPCITEMIDLIST items[] = {pidlBefore.get(), pidlAfter.get()};
    if (FAILED(CompareKeys(*folder, items)) || !CaptureWhenDone("Compare Before with After", L"compare-keys.bmp"))
        ++nFailures;

    // A registration file dropped on the key: the preview, then Cancel.
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szTemp);
    const std::string file = std::string(szTemp) + "corvasin-sample.reg";
    const std::string text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Corvasin Sample\\Before]\r\n"
                             "\"CacheTimeout\"=dword:00001c20\r\n\"Theme\"=\"dark\"\r\n\"Legacy\"=-\r\n\r\n"
                             "[-HKEY_CURRENT_USER\\Software\\Corvasin Sample\\Before\\Toolbars]\r\n\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Corvasin Sample\\Before\\Plugins\\Sync]\r\n"
                             "\"Server\"=\"sync.corvasin.example\"\r\n";
    {
        const UniqueHandle hFile(::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD cb = 0;
        ::WriteFile(hFile.get(), text.data(), static_cast<DWORD>(text.size()), &cb, nullptr);
    }
    std::thread preview([&] {
        (void)::OleInitialize(nullptr);
        (void)ImportRegFiles({AnsiToWide(file.c_str())}, folder.get(), nullptr);
        ::OleUninitialize();
    });
    if (!CaptureWhenDone("Merge registration files", L"merge-preview.bmp"))
        ++nFailures;
    preview.join();
    ::DeleteFileA(file.c_str());
    (void)DeleteRegKeyTree(HKEY_CURRENT_USER, kSampleKey);
    ::OleUninitialize();
    return nFailures;
}
