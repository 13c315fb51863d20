// corvasin-browse: opens a shell window (tree pane and folder view) on the registry namespace,
// at the registry location given on the command line, or writes a picture of it and exits.
#include <windows.h>
#include <ole2.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "BrowseOptions.h"
#include "BrowserHost.h"
#include "FindCapture.h"
#include "WindowCapture.h"
#include "core/ComPtr.h"
#include "core/Handles.h"

using namespace corvasin;

namespace
{

constexpr int c_cxWindow = 900;
constexpr int c_cyWindow = 600;

// Exit codes the run script tells apart.
constexpr int c_nExitOk = 0;
constexpr int c_nExitUsage = 1;
constexpr int c_nExitNoFolder = 2;
constexpr int c_nExitCapture = 3;
constexpr int c_nExitWindow = 4;

void WriteTo(DWORD nStdHandle, const std::wstring& text) noexcept
{
    const HANDLE h = ::GetStdHandle(nStdHandle);
    if (!h || h == INVALID_HANDLE_VALUE)
        return;
    const int cb = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (cb <= 0)
        return;
    std::string utf8(static_cast<size_t>(cb), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(),
                          cb, nullptr, nullptr);
    DWORD cbWritten = 0;
    ::WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &cbWritten, nullptr);
}

std::wstring HexResult(HRESULT hr)
{
    wchar_t sz[16];
    wsprintfW(sz, L"0x%08lX", static_cast<unsigned long>(hr));
    return sz;
}

// Errors go to stderr; an interactive run also shows them, since a window program started from
// a desktop has nowhere else to say it.
void ReportError(const std::wstring& text, bool fInteractive) noexcept
{
    WriteTo(STD_ERROR_HANDLE, L"corvasin-browse: " + text + L"\n");
    if (fInteractive)
        ::MessageBoxW(nullptr, text.c_str(), L"Corvasin", MB_OK | MB_ICONERROR);
}

// The desktop folder's parse of a text into an absolute item id list.
HRESULT ParseWithDesktop(HWND hwnd, const std::wstring& text, UniquePidl& pidl) noexcept
{
    ComPtr<IShellFolder> pDesktop;
    HRESULT hr = ::SHGetDesktopFolder(pDesktop.put());
    if (FAILED(hr))
        return hr;
    std::wstring buffer = text; // ParseDisplayName takes a writable string
    return pDesktop->ParseDisplayName(hwnd, nullptr, buffer.data(), nullptr, pidl.put(), nullptr);
}

// Parses and browses to the first text of the list that works; the texts tried and their
// failures are described in strFailures.
HRESULT OpenFirstOf(CBrowserHost& host, std::initializer_list<std::wstring> texts,
                    std::wstring& strFailures) noexcept
{
    HRESULT hr = E_FAIL;
    for (const std::wstring& text : texts)
    {
        UniquePidl pidl;
        hr = ParseWithDesktop(host.Window(), text, pidl);
        if (FAILED(hr))
        {
            strFailures += L"  parsing \"" + text + L"\" failed: " + HexResult(hr) + L"\n";
            continue;
        }
        hr = host.BrowseTo(pidl.get());
        if (SUCCEEDED(hr))
            return hr;
        strFailures += L"  browsing to \"" + text + L"\" failed: " + HexResult(hr) + L"\n";
    }
    return hr;
}

// Prints the items of the folder a text names, in the order the shell's listing gives them, each
// by its name in the folder. No window is made, so two builds can be
// compared on what they list.
int ListItems(const std::wstring& text) noexcept
{
    ComPtr<IShellFolder> pDesktop;
    UniquePidl pidl;
    HRESULT hr = ::SHGetDesktopFolder(pDesktop.put());
    if (SUCCEEDED(hr))
        hr = ParseWithDesktop(nullptr, text, pidl);
    ComPtr<IShellFolder> pFolder;
    if (SUCCEEDED(hr))
        hr = pDesktop->BindToObject(pidl.get(), nullptr, IID_IShellFolder,
                                    reinterpret_cast<void**>(pFolder.put()));
    if (FAILED(hr))
    {
        ReportError(L"cannot open \"" + text + L"\": " + HexResult(hr), false);
        return c_nExitNoFolder;
    }
    // One listing with the flags the shell's view asks with.
    ComPtr<IEnumIDList> pEnum;
    if (pFolder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, pEnum.put()) != S_OK ||
        !pEnum)
        return c_nExitOk;
    UniquePidl item;
    while (pEnum->Next(1, item.put(), nullptr) == S_OK)
    {
        STRRET name = {};
        UniqueCoTaskMem pszName;
        if (SUCCEEDED(pFolder->GetDisplayNameOf(item.get(), SHGDN_INFOLDER, &name)) &&
            SUCCEEDED(::StrRetToStrW(&name, item.get(), reinterpret_cast<LPWSTR*>(pszName.put()))))
            WriteTo(STD_OUTPUT_HANDLE,
                    std::wstring(static_cast<const wchar_t*>(pszName.get())) + L"\n");
    }
    return c_nExitOk;
}

int RunMessageLoop() noexcept
{
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return c_nExitOk;
}

// Once the browser has shown its first folder, expands the tree pane down to it.
void ExpandTree(CBrowserHost& host, const CBrowseOptions& options) noexcept
{
    PumpUntilPainted(host.Window(), options.m_dwTimeoutMs, options.m_dwSettleMs);
    const HRESULT hr = host.ExpandTreeToCurrent();
    if (FAILED(hr))
        WriteTo(STD_ERROR_HANDLE,
                L"corvasin-browse: cannot expand the tree pane: " + HexResult(hr) + L"\n");
    PumpUntilPainted(host.Window(), options.m_dwTimeoutMs, options.m_dwSettleMs);
}

// Right-clicks or hovers over the item the options name and captures the screen while the
// context menu or info tip is up. When no popup shows, says so and captures the window alone,
// so that the picture shows what the user would see.
HRESULT CapturePopupOfItem(CBrowserHost& host, const CBrowseOptions& options) noexcept
{
    const bool fMenu = options.m_iContextMenuItem >= 0 || options.m_fBackgroundMenu;
    const int iItem = options.m_fBackgroundMenu ? -1
                      : fMenu                   ? options.m_iContextMenuItem
                                                : options.m_iInfoTipItem;
    HRESULT hr = fMenu ? host.PostRightClickItem(iItem) : host.PostHoverItem(iItem);
    if (FAILED(hr))
    {
        WriteTo(STD_ERROR_HANDLE, L"corvasin-browse: cannot point at item " +
                                      std::to_wstring(iItem) + L": " + HexResult(hr) + L"\n");
        return CaptureWindowToBmp(host.Window(), options.m_strScreenshot.c_str());
    }
    hr = CapturePopup(host.Window(), fMenu ? L"#32768" : TOOLTIPS_CLASSW,
                      options.m_strScreenshot.c_str(), options.m_dwTimeoutMs,
                      options.m_dwSettleMs, fMenu ? options.m_strMenuKeys.c_str() : nullptr);
    if (hr != S_FALSE)
        return hr;
    WriteTo(STD_ERROR_HANDLE, std::wstring(L"corvasin-browse: no ") +
                                  (fMenu ? L"context menu" : L"info tip") +
                                  L" showed for item " + std::to_wstring(iItem) + L"\n");
    if (!fMenu)
    {
        // Tells a view that never asks apart from a folder that has nothing to say.
        std::wstring tip;
        hr = host.ItemInfoTip(iItem, tip);
        if (SUCCEEDED(hr))
            WriteTo(STD_ERROR_HANDLE,
                    L"corvasin-browse: the folder's IQueryInfo gives: \"" + tip + L"\"\n");
        else
            WriteTo(STD_ERROR_HANDLE,
                    L"corvasin-browse: the folder gives no IQueryInfo: " + HexResult(hr) + L"\n");
    }
    PumpUntilPainted(host.Window(), options.m_dwTimeoutMs, options.m_dwSettleMs);
    return CaptureWindowToBmp(host.Window(), options.m_strScreenshot.c_str());
}

int Run(HINSTANCE hInstance, const CBrowseOptions& options) noexcept
{
    if (options.m_fList)
        return ListItems(options.m_strShellPath.empty() ? RegistryParseText(options.m_strLocation)
                                                        : options.m_strShellPath);
    const bool fInteractive = options.m_strScreenshot.empty();

    CBrowserHost host;
    HRESULT hr = host.Create(hInstance, c_cxWindow, c_cyWindow);
    if (FAILED(hr))
    {
        ReportError(L"cannot create the browser window (" + HexResult(hr) +
                        L"); is there a display?",
                    false);
        return c_nExitWindow;
    }
    ::ShowWindow(host.Window(), SW_SHOWNORMAL);
    ::UpdateWindow(host.Window());

    std::wstring strFailures;
    if (!options.m_strShellPath.empty())
    {
        hr = OpenFirstOf(host, {options.m_strShellPath}, strFailures);
    }
    else
    {
        // A location that does not parse or open still shows the registry, from its root.
        const std::wstring textRoot = RegistryRootParseText();
        const std::wstring text = RegistryParseText(options.m_strLocation);
        if (text == textRoot)
            hr = OpenFirstOf(host, {textRoot}, strFailures);
        else
            hr = OpenFirstOf(host, {text, textRoot}, strFailures);
        if (SUCCEEDED(hr) && !strFailures.empty())
            WriteTo(STD_ERROR_HANDLE, L"corvasin-browse: opened the registry root instead:\n" +
                                          strFailures);
    }
    if (FAILED(hr))
    {
        ReportError(L"cannot open the folder:\n" + strFailures +
                        (options.m_strShellPath.empty()
                             ? L"Is corvasin.dll registered (regsvr32 corvasin.dll)?"
                             : L""),
                    fInteractive);
        return c_nExitNoFolder;
    }

    if (options.m_cxTree >= 0)
    {
        hr = host.DragTreeSplitter(options.m_cxTree);
        if (FAILED(hr))
            WriteTo(STD_ERROR_HANDLE,
                    L"corvasin-browse: cannot resize the tree pane: " + HexResult(hr) + L"\n");
    }
    if (fInteractive)
    {
        if (options.m_fExpandTree)
            ExpandTree(host, options);
        return RunMessageLoop();
    }

    PumpUntilPainted(host.Window(), options.m_dwTimeoutMs, options.m_dwSettleMs);
    if (options.m_iOpenItem >= 0)
    {
        hr = host.DoubleClickItem(options.m_iOpenItem);
        if (FAILED(hr))
            WriteTo(STD_ERROR_HANDLE, L"corvasin-browse: cannot double-click item " +
                                          std::to_wstring(options.m_iOpenItem) + L": " +
                                          HexResult(hr) + L"\n");
        PumpUntilPainted(host.Window(), options.m_dwTimeoutMs, options.m_dwSettleMs);
    }
    if (options.m_fExpandTree)
        ExpandTree(host, options);
    if (!options.m_strAddress.empty())
    {
        hr = host.NavigateToAddress(options.m_strAddress);
        if (FAILED(hr))
            WriteTo(STD_ERROR_HANDLE, L"corvasin-browse: the address bar could not go to \"" +
                                          options.m_strAddress + L"\": " + HexResult(hr) + L"\n");
        PumpUntilPainted(host.Window(), options.m_dwTimeoutMs, options.m_dwSettleMs);
    }
    if (options.m_nFolderCommand >= 0)
    {
        hr = host.InvokeFolderCommand(static_cast<UINT>(options.m_nFolderCommand));
        if (FAILED(hr))
            WriteTo(STD_ERROR_HANDLE, L"corvasin-browse: the folder's command failed: " +
                                          HexResult(hr) + L"\n");
        PumpUntilPainted(host.Window(), options.m_dwTimeoutMs, options.m_dwSettleMs);
    }
    WriteTo(STD_OUTPUT_HANDLE, L"location: " + host.CurrentLocation() + L"\n");

    if (!options.m_strFind.empty())
        hr = CaptureFind(host, options.m_strFind, options.m_fFindDialogOnly,
                         options.m_fFindOpenFirst, options.m_strScreenshot.c_str(), options.m_dwTimeoutMs, options.m_dwSettleMs);
    else if (options.m_iContextMenuItem >= 0 || options.m_fBackgroundMenu || options.m_iInfoTipItem >= 0)
        hr = CapturePopupOfItem(host, options);
    else
        hr = CaptureWindowToBmp(host.Window(), options.m_strScreenshot.c_str());
    ::DestroyWindow(host.Window());
    if (FAILED(hr))
    {
        ReportError(L"cannot write " + options.m_strScreenshot + L": " + HexResult(hr), false);
        return c_nExitCapture;
    }
    return c_nExitOk;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    CBrowseOptions options;
    std::wstring strError;
    const bool fParsed = argv && options.Parse(argc - 1, argv + 1, strError);
    ::LocalFree(argv);
    if (!fParsed || options.m_fHelp)
    {
        if (!fParsed)
            WriteTo(STD_ERROR_HANDLE, L"corvasin-browse: " + strError + L"\n");
        WriteTo(fParsed ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, BrowseUsageText());
        return fParsed ? c_nExitOk : c_nExitUsage;
    }

    // The explorer browser and the views it hosts need an apartment with OLE (drag and drop).
    if (FAILED(::OleInitialize(nullptr)))
        return c_nExitWindow;
    const int nExit = Run(hInstance, options);
    ::OleUninitialize();
    return nExit;
}
