// Runs the Export command and the Security... command on a sample key and saves what the screen
// shows of each dialog as a 24-bit BMP in the current directory: export-file-dialog.bmp (the
// save-file dialog, a file name typed), export-type.bmp (the export type dialog) and
// key-security.bmp (the system's access-control editor). A CBT hook spots each dialog; a timer
// in the dialog's own message loop lets it paint, takes the picture and answers it.
#include "app/CorvasinFactory.h"
#include "commands/ExportCommand.h"
#include "core/CmdTargetPtr.h"
#include "core/Handles.h"
#include "registry/RegkeyExtension.h"
#include "registry/RegistryTree.h"

#include "../browse/WindowCapture.h"

#include <windows.h>
#include <dlgs.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace corvasin;

namespace
{
const char* const kSampleKey = "Software\\Corvasin Sample";

// One dialog to picture: the file to write and what to do once it is written.
struct Shot
{
    const wchar_t* pszFile;
    void (*pfnAnswer)(HWND hDlg);
};

std::vector<Shot> g_shots;
size_t g_iNextShot = 0;
HWND g_hPending = nullptr;
int g_nTicks = 0;
int g_nFailures = 0;
HHOOK g_hHook = nullptr;
UINT_PTR g_idTimer = 0;

void Press(HWND hDlg, int nID)
{
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    const HWND hDlg = g_hPending;
    if (!hDlg || !::IsWindow(hDlg))
        return;
    if (!::IsWindowVisible(hDlg))
        return;
    ++g_nTicks;
    // Half a second for the dialog and its controls to fill in, then a full repaint, and a
    // while more for what was drawn to reach the screen.
    if (g_nTicks == 25)
    {
        ::SetForegroundWindow(hDlg);
        // A blinking caret would be caught at a random phase.
        ::HideCaret(nullptr);
        ::RedrawWindow(hDlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    if (g_nTicks < 50)
        return;
    g_hPending = nullptr;
    if (g_iNextShot >= g_shots.size())
    {
        Press(hDlg, IDCANCEL);
        return;
    }
    const Shot& shot = g_shots[g_iNextShot++];
    RECT rc = {};
    ::GetWindowRect(hDlg, &rc);
    if (FAILED(CaptureScreenRectToBmp(rc, shot.pszFile)))
    {
        std::fprintf(stderr, "cannot write %ls\n", shot.pszFile);
        ++g_nFailures;
    }
    shot.pfnAnswer(hDlg);
}

LRESULT CALLBACK OnCbt(int nCode, WPARAM wParam, LPARAM lParam) noexcept
{
    if (nCode == HCBT_ACTIVATE && wParam)
    {
        const HWND hWnd = reinterpret_cast<HWND>(wParam);
        char szClass[16] = "";
        ::GetClassNameA(hWnd, szClass, sizeof(szClass));
        if (!lstrcmpA(szClass, "#32770") && hWnd != g_hPending)
        {
            g_hPending = hWnd;
            g_nTicks = 0;
        }
    }
    return ::CallNextHookEx(g_hHook, nCode, wParam, lParam);
}

void PrepareSampleKey()
{
    (void)DeleteRegKeyTree(HKEY_CURRENT_USER, kSampleKey);
    UniqueHkey key;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kSampleKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                      nullptr);
    static const char c_text[] = "C:\\Program Files\\Corvasin";
    const DWORD dw = 3600;
    ::RegSetValueExA(key.get(), "InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(c_text), sizeof(c_text));
    ::RegSetValueExA(key.get(), "CacheTimeout", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
    UniqueHkey sub;
    ::RegCreateKeyExA(key.get(), "Settings", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, sub.put(), nullptr);
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PrepareSampleKey();
    g_hHook = ::SetWindowsHookExA(WH_CBT, OnCbt, nullptr, ::GetCurrentThreadId());
    g_idTimer = ::SetTimer(nullptr, 0, 20, OnTimer);

    auto folder = CmdTargetPtr<CRegkeyExtension>::Attach(
        new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, kSampleKey, &RegistryServices()));

    // Without a window manager the process's first window never shows an active caption; a
    // first export whose file dialog is cancelled takes that part.
    g_shots = {{L"warm-up.bmp", [](HWND hDlg) { Press(hDlg, IDCANCEL); }}};
    ExportKey(folder.get(), nullptr);
    ::DeleteFileW(L"warm-up.bmp");

    g_iNextShot = 0;
    g_shots = {
        {L"export-file-dialog.bmp",
         [](HWND hDlg) {
             // The picture shows the name typed; the file is written into the current folder.
             Press(hDlg, IDOK);
         }},
        {L"export-type.bmp", [](HWND hDlg) { Press(hDlg, IDOK); }},
    };
    // The name is typed before the picture is taken: a first tick fills it in.
    struct TypeName
    {
        static void CALLBACK Fill(HWND, UINT, UINT_PTR id, DWORD) noexcept
        {
            if (g_hPending && ::IsWindowVisible(g_hPending))
            {
                HWND hField = ::GetDlgItem(g_hPending, edt1);
                if (!hField)
                    hField = ::GetDlgItem(g_hPending, cmb13);
                if (hField && ::GetWindowTextLengthA(hField) == 0)
                {
                    ::SetWindowTextA(hField, "Corvasin Sample.reg");
                    // The caret after the name, as after typing it.
                    ::SendMessageA(hField, EM_SETSEL, 19, 19);
                    ::SendMessageA(hField, CB_SETEDITSEL, 0, MAKELPARAM(19, 19));
                }
            }
        }
    };
    const UINT_PTR idFill = ::SetTimer(nullptr, 0, 50, TypeName::Fill);
    if (!ExportKey(folder.get(), nullptr))
    {
        std::fprintf(stderr, "the export wrote no file\n");
        ++g_nFailures;
    }
    ::KillTimer(nullptr, idFill);
    ::DeleteFileA("Corvasin Sample.reg");

    g_iNextShot = 0;
    g_shots = {{L"key-security.bmp", [](HWND hDlg) { Press(hDlg, IDCANCEL); }}};
    folder->EditKeySecurity(nullptr);

    ::KillTimer(nullptr, g_idTimer);
    ::UnhookWindowsHookEx(g_hHook);
    folder.reset();
    (void)DeleteRegKeyTree(HKEY_CURRENT_USER, kSampleKey);
    return g_nFailures;
}
