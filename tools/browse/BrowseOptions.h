// The command line of corvasin-browse, and the turning of a registry location into the text that
// the desktop folder parses ("::{folder class id}\HKLM\SOFTWARE").
#pragma once

#include <windows.h>
#include <string>
#include <string_view>

namespace corvasin
{

// What the host was asked to do; filled from the command line, read-only afterwards.
class CBrowseOptions
{
public:
    // Registry location as the user typed it ("HKCU\Software", "reg://HKLM/SOFTWARE"); empty
    // opens the registry root.
    std::wstring m_strLocation;
    // Developer option: a text the desktop folder parses as it is (a file system path or
    // "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"), used instead of the registry location.
    std::wstring m_strShellPath;
    // Headless runs: write a BMP of the window there once the view has painted, then exit.
    std::wstring m_strScreenshot;
    DWORD m_dwSettleMs = 700;     // quiet time after the last paint before the capture
    DWORD m_dwTimeoutMs = 5000;   // upper bound on the wait for the first paint
    int m_iOpenItem = -1;         // test aid: double-click this item of the view before capture
    bool m_fExpandTree = false;   // expand the tree pane down to the location and select it
    int m_cxTree = -1;            // drag the tree pane's splitter so the pane is this wide
    int m_iContextMenuItem = -1;  // right-click this item and capture its open context menu
    int m_iInfoTipItem = -1;      // hover over this item and capture its info tip, if one shows
    std::wstring m_strAddress;      // typed into the address bar (then Enter) before the capture
    std::wstring m_strFind;         // Find... on the shown folder for this text
    bool m_fFindDialogOnly = false; // with m_strFind: picture of the find dialog, not the results
    bool m_fFindOpenFirst = false;  // with m_strFind: open the first result
    int m_nFolderCommand = -1;      // run this menu command of the folder shown first
    bool m_fBackgroundMenu = false; // right-click the view's background instead of an item
    std::wstring m_strMenuKeys;   // keys played to the open context menu before the capture
    bool m_fList = false;         // print the location's items, one name a line, and exit
    bool m_fHelp = false;

    // Fills the options from the arguments after the program name; false with a message in
    // strError when an argument is unknown or lacks its value.
    bool Parse(int argc, wchar_t** argv, std::wstring& strError);
};

// "::{BBC22D43-...}" followed by "\" and the key path of the location, with any "reg://" or
// "reg:" prefix removed and "/" separators turned into "\"; the root text when no key is named.
std::wstring RegistryParseText(std::wstring_view location);

// "::{BBC22D43-...}": the registry root as the desktop folder names it.
std::wstring RegistryRootParseText();

// The usage text printed by --help and on a bad command line.
const wchar_t* BrowseUsageText() noexcept;

} // namespace corvasin
