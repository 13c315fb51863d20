// The registration rows and the writer that carries them out.
#include "install/RegistrationRows.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "install/Registration.h"
#include "registry/RegistryTree.h"

#include <shlobj.h>
#include <iterator>

namespace corvasin
{

namespace
{
using enum RowRoot;
using enum RowWhen;
using enum RowAction;

// The web view class id under which the shell looks for a folder's web view moniker.
#define WEB_VIEW_CLASS "{5984FFE0-28D4-11CF-AE66-08002B2E1262}"

constexpr RegistrationRow c_classRows[] = {
    {ClassesRoot, Always, SetString, "CLSID\\{C}", nullptr, "{N}"},
    {ClassesRoot, Always, SetString, "CLSID\\{U}", nullptr, "{N}"},
    {ClassesRoot, HasInfoTip, SetString, "CLSID\\{C}", "InfoTip", "{T}"},
    {ClassesRoot, Always, SetString, "CLSID\\{C}\\DefaultIcon", nullptr, "{M},{X}"},
    {ClassesRoot, Always, SetString, "CLSID\\{C}\\InProcServer32", nullptr, "{M}"},
    {ClassesRoot, Always, SetString, "CLSID\\{C}\\InProcServer32", "ThreadingModel", "Apartment"},
    {ClassesRoot, Always, SetString, "CLSID\\{U}\\InProcServer32", nullptr, "{M}"},
    {ClassesRoot, Always, SetString, "CLSID\\{U}\\InProcServer32", "ThreadingModel", "Apartment"},
    {ClassesRoot, Always, SetAttributes, "CLSID\\{C}\\ShellFolder", "Attributes"},
    {ClassesRoot, Always, CreateKey, "CLSID\\{C}\\shellex\\ContextMenuHandlers\\{U}"},
    // An older registration may have named the folder class as its own menu handler; the
    // shell would then load a folder as a context menu. That entry must go.
    {ClassesRoot, Always, DeleteTree, "CLSID\\{C}\\shellex\\ContextMenuHandlers\\{C}"},
    {ClassesRoot, HasPropertySheet, CreateKey, "CLSID\\{C}\\shellex\\PropertySheetHandlers\\{U}"},
    {LocalMachine, Always, SetString, APPROVED_KEY, "{C}", "{N}"},
    {ClassesRoot, HasWebView, SetString, "CLSID\\{C}\\shellex\\ExtShellFolderViews\\" WEB_VIEW_CLASS,
     "PersistMoniker", "{W}", REG_EXPAND_SZ},
    {ClassesRoot, HasProtocol, SetString, "{P}", "ShellFolder", "{C}"},
    {ClassesRoot, HasProtocol, SetString, "{P}", "URL Protocol", ""},
    {ClassesRoot, HasProtocol, SetString, "{P}\\Shell\\Open\\Command", nullptr, "explorer \"%1\""},
};

constexpr RegistrationRow c_shellEntryRows[] = {
    {ClassesRoot, Always, SetString, "Interface\\{I}", nullptr, "IRegFolder"},
    {LocalMachine, Always, SetString, DESKTOP_NAMESPACE_KEY "\\{C}", nullptr, "Registry"},
};

constexpr RegistrationRow c_mountRow = {LocalMachine, Always, SetString, "{K}\\{C}", nullptr,
                                        "Registry"};

bool Applies(const RegistrationRow& row, const RowTexts& texts)
{
    auto has = [&](char c) {
        const auto it = texts.texts.find(c);
        return it != texts.texts.end() && !it->second.empty();
    };
    switch (row.when)
    {
    case Always:
        return true;
    case HasInfoTip:
        return has('T');
    case HasPropertySheet:
        return (texts.dwAttributes & SFGAO_HASPROPSHEET) != 0;
    case HasWebView:
        return has('W');
    case HasProtocol:
        return has('P');
    }
    return false;
}

bool WriteRow(const RegistrationRow& row, const RowTexts& texts, const RegistrationRoots& roots)
{
    const HKEY hRoot = row.root == ClassesRoot ? roots.hClassesRoot : roots.hLocalMachine;
    const CString key = texts.Expand(row.pszKey);
    if (row.action == DeleteTree)
    {
        (void)DeleteRegKeyTree(hRoot, key.c_str());
        return true;
    }
    UniqueHkey hKey;
    if (::RegCreateKeyExA(hRoot, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                          nullptr, hKey.put(), nullptr) != ERROR_SUCCESS)
        return false;
    const CString valueName = row.pszValue ? texts.Expand(row.pszValue) : CString();
    const char* pszValue = row.pszValue ? valueName.c_str() : nullptr;
    switch (row.action)
    {
    case SetString:
    {
        const CString data = texts.Expand(row.pszData);
        return ::RegSetValueExA(hKey.get(), pszValue, 0, row.dwType,
                                reinterpret_cast<const BYTE*>(data.c_str()),
                                static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
    }
    case SetAttributes:
    {
        // Least significant byte first, whatever the machine.
        const ULONG a = texts.dwAttributes;
        const BYTE ab[4] = {static_cast<BYTE>(a), static_cast<BYTE>(a >> 8),
                            static_cast<BYTE>(a >> 16), static_cast<BYTE>(a >> 24)};
        return ::RegSetValueExA(hKey.get(), pszValue, 0, REG_BINARY, ab, sizeof(ab)) ==
               ERROR_SUCCESS;
    }
    default:
        return true;
    }
}
} // namespace

CString RowTexts::Expand(const char* pszTemplate) const
{
    CString result;
    for (const char* p = pszTemplate; *p; ++p)
    {
        if (p[0] == '{' && p[1] && p[2] == '}')
        {
            const auto it = texts.find(p[1]);
            if (it != texts.end())
            {
                result += it->second;
                p += 2;
                continue;
            }
        }
        result += *p;
    }
    return result;
}

BOOL WriteRows(std::span<const RegistrationRow> rows, const RowTexts& texts,
               const RegistrationRoots& roots) noexcept
{
    try
    {
        for (const RegistrationRow& row : rows)
        {
            if (Applies(row, texts) && !WriteRow(row, texts, roots))
                return FALSE;
        }
        return TRUE;
    }
    CATCH_RETURN(FALSE)
}

std::span<const RegistrationRow> ClassRows() noexcept { return c_classRows; }
std::span<const RegistrationRow> ShellEntryRows() noexcept { return c_shellEntryRows; }
const RegistrationRow& MountRow() noexcept { return c_mountRow; }

} // namespace corvasin
