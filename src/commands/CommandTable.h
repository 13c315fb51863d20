// The registry commands in one table: a row per command with its menu offset, verb, text, help
// text, where it appears and when, and its handler. The menus, InvokeCommand by offset and by
// verb, and the view's toolbar all read it; adding a command is one row and its handler.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <span>

namespace corvasin
{

class CRegServices;
class CRegkeyExtension;

// Command offsets of the registry menus, relative to the first command id the shell passes;
// 20 to 26 are the base entries (offsets 1 to 7 of the base menu).
enum RegCommand : UINT
{
    kRegEdit = 1,
    kRegExport = 2,
    kRegFind = 3,
    kRegNewMenu = 4,
    kRegNewKey = 5,
    kRegNewString = 6,
    kRegNewDword = 7,
    kRegNewBinary = 8,
    kRegNewMultiSz = 9,
    kRegSecurity = 10,
    kRegCopyKeyName = 11,
    kRegCopyFullKeyName = 12,
    kRegMoveMenu = 13,
    kRegMoveDesktop = 14,
    kRegMoveMyComputer = 15,
    kRegMoveControlPanel = 16,
    kRegMoveFolder = 17,
    kRegAbout = 18,
    kRegUninstall = 19,
    kRegBaseFirst = 19, // the base entries use this offset as their first id
    kRegBaseEnd = 27,   // one past the base entries
    kRegCompare = 27,
    kRegCommandCount = 28,
};

// Where a command appears, and how.
enum CommandPlace : UINT
{
    kInItemMenu = 0x01, // the menu of a selection of keys and values
    kInIconMenu = 0x02, // the menu of the namespace's own icon
    kInNewMenu = 0x04,  // the "New" submenu
    kInMoveMenu = 0x08, // the "Move to" submenu
    kOnToolbar = 0x10,  // a button of the view's toolbar
    kAtMenuTop = 0x20,  // inserted by command id 0, in front of the entries inserted by position
    kIsDefault = 0x40,  // the menu's default entry, which the base must not offer one beside
};

// When an entry is shown, from what is selected and where the root is mounted.
enum class Shown
{
    Always,
    OneValue,            // exactly one item, a value
    FirstIsKey,          // the first item is a key
    OneKey,              // exactly one item, a key
    TwoKeys,             // exactly two items, both keys
    NotCurrentPlacement, // the row's placement is not where the root is now
};

// What a command runs on.
struct CommandCall
{
    const CRegServices& services;
    CRegkeyExtension* pFolder; // the items' folder; null for the namespace's own icon
    std::span<const LPCITEMIDLIST> items;
    HWND hwndOwner;
    DWORD dwParam;          // the row's parameter
    bool bFromView = false; // the view's toolbar: no selection stands for the folder's whole key
};

struct CommandRow
{
    UINT offset;
    const char* pszVerb; // null: invoked by offset only
    const char* pszText;
    const char* pszHelp; // the toolbar's tip; null: none
    UINT places;         // CommandPlace bits
    Shown shown;
    // The type a new value gets, the placement a move goes to, the place (CommandPlace) of the
    // entries a submenu opens with.
    DWORD dwParam;
    // S_OK when the command did its work; null for a submenu, which runs nothing.
    HRESULT (*pfnRun)(const CommandCall& call) noexcept;
};

std::span<const CommandRow> CommandRows() noexcept;
// The row of an offset, or null.
const CommandRow* FindCommand(UINT offset) noexcept;
// The row of a verb, compared with regard to case, or null.
const CommandRow* FindCommandByVerb(const char* pszVerb) noexcept;

// What decides whether an entry is shown.
struct MenuFacts
{
    UINT cItems = 0;
    bool bFirstIsKey = false;
    bool bFirstIsValue = false;
    bool bAllKeys = false; // there are items, and every one is a key
    DWORD dwPlacement = 0;
};
bool IsShown(const CommandRow& row, const MenuFacts& facts) noexcept;

} // namespace corvasin
