// Numbers of the shell that its headers leave out or that Wine's and Windows' views share
// without a name: the undocumented view callback messages, the browser's window messages, and
// the masks the folder base applies.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace corvasin
{

// View callback messages without a name in the SDK.
constexpr UINT kSfvmSelectionChanged = 8;
constexpr UINT kSfvmViewReleased = 12;   // the view is being released
constexpr UINT kSfvmAddingItem = 29;     // lParam: a block with the new item's id at offset 8
constexpr size_t kAddingItemIdOffset = 8;

// Messages the shell's browser window answers.
constexpr UINT kCwmSelectItem = WM_USER + 5;        // wParam 1, lParam: the relative id
constexpr UINT kCwmGetIShellBrowser = WM_USER + 7;  // returns the window's IShellBrowser

// The folder view renames the focused item on this command.
constexpr WPARAM kViewRenameCommand = 0x7012;

// The change events the default view listens to: items and folders made, deleted
// and renamed, attributes, and updates of the folder and its items.
constexpr LONG kViewChangeEvents = SHCNE_RENAMEITEM | SHCNE_CREATE | SHCNE_DELETE |
                                   SHCNE_MKDIR | SHCNE_RMDIR | SHCNE_ATTRIBUTES |
                                   SHCNE_UPDATEDIR | SHCNE_UPDATEITEM | SHCNE_RENAMEFOLDER;
static_assert(kViewChangeEvents == 0x2381F, "the events the view has always listened to");

// Every attribute a folder item can carry; a query outside it asks for nothing we answer.
constexpr ULONG kItemAttributeMask = 0xAFFFFFFF;

} // namespace corvasin
