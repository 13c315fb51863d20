// Registration as data: the rows of keys and values that registering writes, and that
// unregistering, moving the namespace and uninstalling remove again. A row names its key and
// value with placeholders ({C} the folder class, {U} the UI object class, {I} IRegFolder,
// {N} the name, {T} the info tip, {M} the module, {X} the icon index, {W} the web view moniker,
// {P} the URL scheme, {K} a mount key), filled in from a RowTexts.
#pragma once

#include "core/Strings.h"

#include <windows.h>
#include <map>
#include <span>

namespace corvasin
{

struct RegistrationRoots;

enum class RowRoot : BYTE
{
    ClassesRoot,
    LocalMachine,
};

// Which rows apply: some only when the folder says so.
enum class RowWhen : BYTE
{
    Always,
    HasInfoTip,       // {T} is not empty
    HasPropertySheet, // the folder's attributes hold SFGAO_HASPROPSHEET
    HasWebView,       // {W} is not empty
    HasProtocol,      // {P} is not empty
};

enum class RowAction : BYTE
{
    SetString,     // a REG_SZ (or REG_EXPAND_SZ) value with its terminating zero
    SetAttributes, // the folder's attributes: REG_BINARY, 4 bytes, least significant first
    CreateKey,     // the key alone
    DeleteTree,    // the key and all below it; its outcome is not looked at
};

struct RegistrationRow
{
    RowRoot root;
    RowWhen when;
    RowAction action;
    const char* pszKey;
    const char* pszValue = nullptr; // null: the key's default value
    const char* pszData = "";
    DWORD dwType = REG_SZ;          // SetString: REG_SZ or REG_EXPAND_SZ
};

// The texts behind the placeholders, and the facts the conditions test.
struct RowTexts
{
    std::map<char, CString> texts; // 'C' -> "{...}"
    ULONG dwAttributes = 0;

    CString Expand(const char* pszTemplate) const;
};

// Writes the rows that apply in order; stops at the first failing write (what was written
// stays). Keys are created with KEY_WRITE.
[[nodiscard]] BOOL WriteRows(std::span<const RegistrationRow> rows, const RowTexts& texts,
                             const RegistrationRoots& roots) noexcept;

// The rows of the class keys, the approval and the URL scheme; the rows of the custom
// interface and the desktop namespace entry that the installation step adds.
std::span<const RegistrationRow> ClassRows() noexcept;
std::span<const RegistrationRow> ShellEntryRows() noexcept;

// The namespace entry below a mount key ({K}): the class key of the folder named "Registry".
const RegistrationRow& MountRow() noexcept;

} // namespace corvasin
