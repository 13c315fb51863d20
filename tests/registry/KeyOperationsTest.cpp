// The key and value changes on open scratch keys: names, renames that never lose data, tree
// delete and copy with merge, and the path test that refuses a copy into itself.
#include "core/Handles.h"
#include "registry/KeyOperations.h"
#include "registry/RegistryAccess.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>
#include <vector>

namespace corvasin::test
{
namespace
{

// The type and bytes of a value, or nothing: the registry's state, for comparisons.
struct Stored
{
    bool bExists = false;
    DWORD dwType = 0;
    std::vector<BYTE> data;
    bool operator==(const Stored&) const = default;
};

Stored Read(HKEY hKey, const char* pszName)
{
    Stored s;
    s.bExists = ReadTypedValue(hKey, pszName, &s.dwType, s.data);
    return s;
}

std::vector<std::string> ValueNames(HKEY hKey)
{
    std::vector<std::string> names;
    char sz[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD cch = sizeof(sz);
        if (::RegEnumValueA(hKey, i, sz, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return names;
        names.emplace_back(sz, cch);
    }
}

std::vector<std::string> SubkeyNames(HKEY hKey)
{
    std::vector<std::string> names;
    char sz[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD cch = sizeof(sz);
        if (::RegEnumKeyExA(hKey, i, sz, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return names;
        names.emplace_back(sz, cch);
    }
}

UniqueHkey Open(HKEY hParent, const char* pszPath)
{
    UniqueHkey hKey;
    ::RegOpenKeyExA(hParent, pszPath, 0, KEY_ALL_ACCESS, hKey.put());
    return hKey;
}

// Counts every key of a tree, the top one included.
int CountKeys(HKEY hKey)
{
    int n = 1;
    for (const std::string& name : SubkeyNames(hKey))
        n += CountKeys(Open(hKey, name.c_str()).get());
    return n;
}

TEST(KeyOperations, FreeValueNamesCountUpFromTwo)
{
    ScratchKey key;
    EXPECT_EQ(FreeValueName(key.get(), "New Value"), "New Value");
    key.SetString("New Value", "a");
    EXPECT_EQ(FreeValueName(key.get(), "New Value"), "New Value #2");
    key.SetString("new value #2", "b"); // the registry compares without case
    EXPECT_EQ(FreeValueName(key.get(), "New Value"), "New Value #3");
}

TEST(KeyOperations, UsableNamesAreNotEmptyAndFitTheRecord)
{
    EXPECT_FALSE(IsUsableItemName(""));
    EXPECT_TRUE(IsUsableItemName(std::string(199, 'x')));
    EXPECT_FALSE(IsUsableItemName(std::string(200, 'x')));
    EXPECT_FALSE(IsUsableItemName(std::string("a\0b", 3)));
}

TEST(KeyOperations, RenamingAValueKeepsItsDataAndTheTypeTheRegistryReports)
{
    struct Case
    {
        const char* pszWhat;
        const char* pszOld; // null: the unnamed value
        std::string newName;
        bool bOk;
    };
    const Case cases[] = {
        {"another name", "Old", "New", true},
        {"a new spelling", "Old", "OLD", true},
        {"the same name", "Old", "Old", true},
        {"onto another value", "Old", "Other", false},
        {"an empty name", "Old", "", false},
        {"a name too long", "Old", std::string(200, 'n'), false},
        {"the unnamed value", nullptr, "Named", true},
        {"a value that is not there", "Missing", "New", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszWhat);
        ScratchKey key;
        key.SetBinary("Old", {1, 2, 3}, REG_EXPAND_SZ);
        key.SetBinary("", {7, 8}, REG_DWORD_BIG_ENDIAN);
        key.SetString("Other", "keep me");
        const Stored before = Read(key.get(), c.pszOld);
        const Stored other = Read(key.get(), "Other");

        EXPECT_EQ(RenameValue(key.get(), c.pszOld, c.newName), c.bOk);
        EXPECT_EQ(Read(key.get(), "Other"), other);
        if (!c.bOk)
        {
            EXPECT_EQ(Read(key.get(), c.pszOld), before);
            continue;
        }
        EXPECT_EQ(Read(key.get(), c.newName.c_str()), before);
        // One value under the new name, none left over.
        const auto names = ValueNames(key.get());
        EXPECT_EQ(std::count(names.begin(), names.end(), c.newName), 1);
        EXPECT_EQ(names.size(), 3u);
        if (!c.pszOld)
            EXPECT_FALSE(Read(key.get(), nullptr).bExists);
    }
}

TEST(KeyOperations, OnlyEmptyKeysAreRenamed)
{
    struct Case
    {
        const char* pszWhat;
        const char* pszNew;
        bool bValue;  // the key holds a value
        bool bChild;  // the key holds a subkey
        bool bOk;
    };
    const Case cases[] = {
        {"an empty key", "Renamed", false, false, true},
        {"a new spelling", "KEY", false, false, true},
        {"onto a sibling", "Sibling", false, false, false},
        {"a key with a value", "Renamed", true, false, false},
        {"a key with a subkey", "Renamed", false, true, false},
        {"an empty name", "", false, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszWhat);
        ScratchKey key;
        key.CreateSubkey("Key");
        key.CreateSubkey("Sibling\\Inside");
        if (c.bValue)
            ::RegSetKeyValueA(key.get(), "Key", "v", REG_SZ, "x", 2);
        if (c.bChild)
            key.CreateSubkey("Key\\Child");

        EXPECT_EQ(RenameEmptyKey(key.get(), "Key", c.pszNew), c.bOk);
        auto names = SubkeyNames(key.get());
        std::sort(names.begin(), names.end());
        if (c.bOk)
            EXPECT_EQ(names, (std::vector<std::string>{c.pszNew, "Sibling"}));
        else
            EXPECT_EQ(names, (std::vector<std::string>{"Key", "Sibling"}));
        EXPECT_TRUE(Open(key.get(), "Sibling\\Inside"));
    }
}

TEST(KeyOperations, DeletingATreeRemovesEveryLevel)
{
    ScratchKey key;
    key.CreateSubkey("Tree\\A\\B\\C");
    key.CreateSubkey("Tree\\D");
    EXPECT_TRUE(DeleteKeyTree(key.get(), "Tree"));
    EXPECT_FALSE(Open(key.get(), "Tree"));
    EXPECT_FALSE(DeleteKeyTree(key.get(), "Tree")) << "a key that is not there is not deleted";
    EXPECT_FALSE(DeleteKeyTree(key.get(), ""));
}

TEST(KeyOperations, CopyingATreeMergesIntoWhatIsThere)
{
    ScratchKey key;
    key.CreateSubkey("From\\Tree\\Sub");
    key.CreateSubkey("To\\Tree\\Kept");
    UniqueHkey hFrom = Open(key.get(), "From");
    UniqueHkey hTo = Open(key.get(), "To");
    ::RegSetKeyValueA(hFrom.get(), "Tree", "same", REG_SZ, "new", 4);
    ::RegSetKeyValueA(hFrom.get(), "Tree", nullptr, REG_SZ, "default", 8);
    ::RegSetKeyValueA(hFrom.get(), "Tree\\Sub", "deep", REG_BINARY, "\x01\x02", 2);
    ::RegSetKeyValueA(hTo.get(), "Tree", "same", REG_SZ, "old", 4);
    ::RegSetKeyValueA(hTo.get(), "Tree", "other", REG_SZ, "stays", 6);

    ASSERT_TRUE(CopyKeyTree(hTo.get(), hFrom.get(), "Tree"));
    UniqueHkey hTree = Open(hTo.get(), "Tree");
    EXPECT_EQ(Read(hTree.get(), "same"), Read(Open(hFrom.get(), "Tree").get(), "same"));
    EXPECT_EQ(Read(hTree.get(), "other").data, (std::vector<BYTE>{'s', 't', 'a', 'y', 's', 0}));
    EXPECT_TRUE(Read(hTree.get(), nullptr).bExists);
    EXPECT_EQ(Read(Open(hTree.get(), "Sub").get(), "deep").data, (std::vector<BYTE>{1, 2}));
    EXPECT_TRUE(Open(hTree.get(), "Kept"));
    // The source is untouched: a copy is no move.
    EXPECT_TRUE(Open(hFrom.get(), "Tree\\Sub"));
}

TEST(KeyOperations, ACopyIntoItsOwnSubkeyCopiesTheTreeAsItWasOnce)
{
    ScratchKey key;
    key.CreateSubkey("S\\T\\U");
    UniqueHkey hS = Open(key.get(), "S");
    UniqueHkey hT = Open(hS.get(), "T");
    // S copied into S\T: without a fixed extent the copy would find itself and grow.
    ASSERT_TRUE(CopyKeyTree(hT.get(), key.get(), "S"));
    EXPECT_EQ(CountKeys(hS.get()), 3 + 3); // S, T, U and the copy S', T', U'
    EXPECT_TRUE(Open(hT.get(), "S\\T\\U"));
}

TEST(KeyOperations, KeyPathsContainTheirSubkeysOnly)
{
    struct Case
    {
        const char* pszOuter;
        const char* pszInner;
        bool bBelow;
    };
    const Case cases[] = {
        {"Software\\A", "Software\\A", true},      {"Software\\A", "software\\a\\B", true},
        {"Software\\A", "Software\\AB", false},    {"Software\\A", "Software", false},
        {"", "Anything", true},                   {"Software\\A\\B", "Software\\A", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsSameOrBelowKeyPath(c.pszOuter, c.pszInner), c.bBelow)
            << c.pszOuter << " / " << c.pszInner;
}

} // namespace
} // namespace corvasin::test

namespace corvasin::test
{
namespace
{

TEST(QuickValueRead, SmallValuesTakeTheBufferAndLargeOnesTheSizeQuery)
{
    ScratchKey key;
    for (const DWORD cb : {DWORD{0}, DWORD{1}, kQuickValueBuffer, kQuickValueBuffer + 1, DWORD{70000}})
    {
        SCOPED_TRACE(cb);
        std::vector<BYTE> bytes(cb);
        for (DWORD i = 0; i < cb; ++i)
            bytes[i] = static_cast<BYTE>(i * 7);
        key.SetBinary("v", bytes);
        BYTE buffer[kQuickValueBuffer];
        std::vector<BYTE> large;
        const BYTE* pData = nullptr;
        DWORD cbData = 0;
        ASSERT_TRUE(ReadValueDataQuick(key.get(), "v", buffer, sizeof(buffer), large, &pData, &cbData));
        EXPECT_EQ(pData == buffer, cb <= kQuickValueBuffer);
        EXPECT_EQ(std::vector<BYTE>(pData, pData + cbData), bytes);
    }
    BYTE buffer[16];
    std::vector<BYTE> large;
    const BYTE* pData = nullptr;
    DWORD cbData = 0;
    EXPECT_FALSE(ReadValueDataQuick(key.get(), "missing", buffer, sizeof(buffer), large, &pData, &cbData));
}

} // namespace
} // namespace corvasin::test
