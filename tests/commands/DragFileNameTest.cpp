// The name of the dragged .reg file: the text made safe for a file name, and which name a
// selection gets (the item's, the key's it is in, a predefined key's, the root's).
#include "commands/DragFileName.h"

#include "core/Strings.h"
#include "registry/FolderTestUtil.h"

#include <gtest/gtest.h>

namespace corvasin::test
{
namespace
{

TEST(DragFileName, DropsWhatFileNamesCannotHoldAndStaysBounded)
{
    const std::wstring longName(200, L'x');
    const std::wstring starAtCut = std::wstring(kMaxDragFileStem - 1, L'y') + L"\U0001F600";
    const struct
    {
        std::wstring text;
        std::wstring stem;
    } c_rows[] = {
        {L"Run", L"Run"},
        {L"a\\b/c:d*e?f\"g<h>i|j", L"abcdefghij"},
        {L"tab\there\r\n", L"tabhere"},
        {L"dots and spaces . . ", L"dots and spaces"},
        {L"caf\u00e9 \u0416\u2605", L"caf\u00e9 \u0416\u2605"},
        {L"CON", L"CON_"},
        {L"nul.txt", L"nul_.txt"},
        {L"COM10", L"COM10"},
        {L"\\/:*?", L""},
        {longName, std::wstring(kMaxDragFileStem, L'x')},
        {starAtCut, std::wstring(kMaxDragFileStem - 1, L'y')},
    };
    for (const auto& row : c_rows)
        EXPECT_EQ(SafeFileStem(row.text), row.stem) << WideToAnsi(row.text.c_str());
}

TEST(DragFileName, RootAndPredefinedKeysGiveTheirNames)
{
    ComPtr<IShellFolder2> root = RootFolder();
    CRegkeyExtension* pRoot = KeyObject(root.get());
    UniquePidl hkcu = ItemId(REGITEM_KEY, "HKEY_CURRENT_USER", 0x80000001);
    UniquePidl hklm = ItemId(REGITEM_KEY, "HKEY_LOCAL_MACHINE", 0x80000002);
    LPCITEMIDLIST both[] = {hkcu.get(), hklm.get()};
    EXPECT_EQ(DragFileName(*pRoot, 1, both), L"HKEY_CURRENT_USER.reg");
    EXPECT_EQ(DragFileName(*pRoot, 2, both), L"Registry.reg");

    ComPtr<IShellFolder2> hkcuFolder = KeyFolder("");
    UniquePidl software = ItemId(REGITEM_KEY, "Software");
    UniquePidl deflt = ItemId(REGITEM_DEFAULT, kDefaultItemName);
    LPCITEMIDLIST items[] = {software.get(), deflt.get()};
    EXPECT_EQ(DragFileName(*KeyObject(hkcuFolder.get()), 2, items), L"HKEY_CURRENT_USER.reg");
    EXPECT_EQ(DragFileName(*KeyObject(hkcuFolder.get()), 1, items), L"Software.reg");
    EXPECT_EQ(DragFileName(*KeyObject(hkcuFolder.get()), 1, items + 1), L"(default).reg");
}

} // namespace
} // namespace corvasin::test
