// Command line parsing and location text for corvasin-browse.
#include "BrowseOptions.h"

#include "app/Guids.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <variant>

namespace corvasin
{

namespace
{

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) noexcept
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
    {
        if (std::towlower(text[i]) != std::towlower(prefix[i]))
            return false;
    }
    return true;
}

bool ParseCount(const wchar_t* psz, DWORD& dwOut) noexcept
{
    if (!psz || !*psz)
        return false;
    wchar_t* pszEnd = nullptr;
    const unsigned long ul = std::wcstoul(psz, &pszEnd, 10);
    if (*pszEnd != L'\0')
        return false;
    dwOut = ul;
    return true;
}

// The options that take a value or stand alone, each written into its member.
using TextMember = std::wstring CBrowseOptions::*;
using CountMember = DWORD CBrowseOptions::*;
using IndexMember = int CBrowseOptions::*;
using FlagMember = bool CBrowseOptions::*;
struct Option
{
    const wchar_t* pszName;
    std::variant<TextMember, CountMember, IndexMember, FlagMember> member;
};

const Option c_options[] = {
    {L"--screenshot", &CBrowseOptions::m_strScreenshot},
    {L"--delay-ms", &CBrowseOptions::m_dwSettleMs},
    {L"--timeout-ms", &CBrowseOptions::m_dwTimeoutMs},
    {L"--path", &CBrowseOptions::m_strShellPath},
    {L"--open-item", &CBrowseOptions::m_iOpenItem},
    {L"--expand-tree", &CBrowseOptions::m_fExpandTree},
    {L"--tree-width", &CBrowseOptions::m_cxTree},
    {L"--context-menu", &CBrowseOptions::m_iContextMenuItem},
    {L"--address", &CBrowseOptions::m_strAddress},
    {L"--folder-command", &CBrowseOptions::m_nFolderCommand},
    {L"--background-menu", &CBrowseOptions::m_fBackgroundMenu},
    {L"--menu-keys", &CBrowseOptions::m_strMenuKeys},
    {L"--infotip", &CBrowseOptions::m_iInfoTipItem},
    {L"--list", &CBrowseOptions::m_fList},
};

// Takes the option's value (when it has one) into the member: false when the value is
// missing or is no count.
bool TakeOption(CBrowseOptions& options, const Option& option, const wchar_t* pszValue,
                int& i) noexcept
{
    if (const auto* pFlag = std::get_if<FlagMember>(&option.member))
    {
        options.*(*pFlag) = true;
        return true;
    }
    if (const auto* pText = std::get_if<TextMember>(&option.member))
    {
        if (!pszValue)
            return false;
        options.*(*pText) = pszValue;
    }
    else
    {
        DWORD dwValue = 0;
        if (!ParseCount(pszValue, dwValue))
            return false;
        if (const auto* pCount = std::get_if<CountMember>(&option.member))
            options.*(*pCount) = dwValue;
        else
            options.*std::get<IndexMember>(option.member) = static_cast<int>(dwValue);
    }
    ++i;
    return true;
}

} // namespace

bool CBrowseOptions::Parse(int argc, wchar_t** argv, std::wstring& strError)
{
    for (int i = 0; i < argc; ++i)
    {
        const std::wstring_view arg = argv[i];
        const wchar_t* pszValue = (i + 1 < argc) ? argv[i + 1] : nullptr;
        const auto option = std::find_if(std::begin(c_options), std::end(c_options),
                                          [&](const Option& o) { return arg == o.pszName; });

        if (arg == L"--help" || arg == L"-h" || arg == L"/?")
        {
            m_fHelp = true;
        }
        else if (option != std::end(c_options) && TakeOption(*this, *option, pszValue, i))
        {
        }
        else if ((arg == L"--find" || arg == L"--find-dialog" || arg == L"--find-open") && pszValue)
        {
            m_strFind = pszValue;
            m_fFindDialogOnly = arg == L"--find-dialog";
            m_fFindOpenFirst = arg == L"--find-open";
            ++i;
        }
        else if (arg.size() > 1 && arg[0] == L'-' && arg[1] == L'-')
        {
            strError = L"unknown option or missing value: ";
            strError += arg;
            return false;
        }
        else if (m_strLocation.empty())
        {
            m_strLocation = arg;
        }
        else
        {
            strError = L"more than one location given: ";
            strError += arg;
            return false;
        }
    }
    return true;
}

std::wstring RegistryRootParseText()
{
    wchar_t szClsid[40] = {};
    ::StringFromGUID2(CLSID_CorvasinFolder, szClsid, ARRAYSIZE(szClsid));
    std::wstring text = L"::";
    text += szClsid;
    return text;
}

std::wstring RegistryParseText(std::wstring_view location)
{
    // The desktop folder does not know the "reg" protocol; the key path alone goes behind the
    // class id, and the registry folder's own parse takes it from there.
    if (StartsWithNoCase(location, L"reg://"))
        location.remove_prefix(6);
    else if (StartsWithNoCase(location, L"reg:"))
        location.remove_prefix(4);

    std::wstring path(location);
    for (wchar_t& ch : path)
    {
        if (ch == L'/')
            ch = L'\\';
    }
    const size_t first = path.find_first_not_of(L'\\');
    const size_t last = path.find_last_not_of(L'\\');
    path = (first == std::wstring::npos) ? std::wstring() : path.substr(first, last - first + 1);

    std::wstring text = RegistryRootParseText();
    if (!path.empty())
    {
        text += L'\\';
        text += path;
    }
    return text;
}

const wchar_t* BrowseUsageText() noexcept
{
    return L"usage: corvasin-browse [options] [LOCATION]\n"
           L"  LOCATION             registry key to open: HKEY_CURRENT_USER\\Software,\n"
           L"                       reg://HKCU\\Software, HKLM/SOFTWARE; none opens the root\n"
           L"  --path TEXT          open TEXT as the desktop parses it instead (C:\\windows,\n"
           L"                       ::{20D04FE0-3AEA-1069-A2D8-08002B30309D})\n"
           L"  --screenshot FILE    write a BMP of the window once it has painted, then exit\n"
           L"  --delay-ms N         quiet time after the last paint before the capture (700)\n"
           L"  --timeout-ms N       longest wait for the view to paint (5000)\n"
           L"  --open-item N        with --screenshot: double-click item N of the view first\n"
           L"  --expand-tree        expand the tree pane down to the location shown and select it\n"
           L"  --tree-width N       drag the splitter so that the tree pane is N pixels wide\n"
           L"  --context-menu N     with --screenshot: right-click item N of the view and capture\n"
           L"                       the screen while its context menu is open, then close it\n"
           L"  --address TEXT       with --screenshot: type TEXT into the address bar and press\n"
           L"                       Enter, as a user pasting a key path (HKLM:\\SOFTWARE, ...)\n"
           L"  --find TEXT          with --screenshot: Find... on the shown folder for TEXT and\n"
           L"                       capture the results window once it says Done!\n"
           L"  --find-dialog TEXT   the same, capturing the find dialog filled in, then Cancel\n"
           L"  --find-open TEXT     the same, then double-click the first result and capture\n"
           L"                       the window it opens\n"
           L"  --folder-command N   with --screenshot: run command offset N of the shown folder's\n"
           L"                       own context menu (as its tree node has it) before the capture\n"
           L"  --background-menu    like --context-menu, on the view's background\n"
           L"  --menu-keys KEYS     with --context-menu: play keys to the open menu first (d down,\n"
           L"                       u up, r right, l left, e enter, x escape); after e, capture\n"
           L"                       the dialog or message box the command opens, then close it\n"
           L"  --infotip N          with --screenshot: rest the mouse on item N of the view and\n"
           L"                       capture the info tip; says so on stderr when none shows\n"
           L"  --list               print the names of the location's items, one a line, in\n"
           L"                       the order the shell lists them; no window\n"
           L"  Items are numbered from 0 in the view's order; the options act in the order\n"
           L"  --tree-width, --open-item, --expand-tree, then --context-menu or --infotip.\n";
}

} // namespace corvasin
