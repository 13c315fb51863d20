// The key and value changes on open scratch keys: names, renames that never lose data, tree
// copy with merge, and the path test that refuses a copy into itself (the tree delete is
// DeleteRegKeyTreeTest's).
#include "core/Handles.h"
#include "registry/KeyOperations.h"
#include "registry/RegistryAccess.h"
#include "support/RegistrySnapshot.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>
#include <vector>

using namespace corvasin;
using namespace corvasin::test;

namespace
{
// What the operations answer when the registry or the name says no.
constexpr HRESULT kTaken = HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
constexpr HRESULT kBadName = HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
constexpr HRESULT kMissing = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
constexpr HRESULT kNotEmpty = HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY);

UniqueHkey Open(HKEY hParent, const char* pszPath)
{
    UniqueHkey hKey;
    ::RegOpenKeyExA(hParent, pszPath, 0, KEY_ALL_ACCESS, hKey.put());
    return hKey;
}

// Moves a map entry to a new name, as a rename in the registry moves a value or a key.
template <typename Map>
void MoveEntry(Map& map, const std::string& from, const std::string& to)
{
    auto node = map.extract(from);
    ASSERT_FALSE(node.empty()) << from;
    node.key() = to;
    map.insert(std::move(node));
}

TEST(KeyOperations, FreeValueNamesSkipNamesTakenInAnyCase)
{
    ScratchKey key;
    key.SetString("New Value", "a");
    key.SetString("new value #2", "b"); // the registry compares without case
    EXPECT_EQ(FreeValueName(key.get(), "New Value"), "New Value #3");
}

TEST(KeyOperations, UsableNamesFillTheRecordAndHoldNoZero)
{
    EXPECT_TRUE(IsUsableItemName(std::string(199, 'x')));
    EXPECT_FALSE(IsUsableItemName(std::string("a\0b", 3)));
}

// The whole key is compared after each rename: the renamed value keeps its type and bytes, the
// others stay, and nothing is left over under the old name.
TEST(KeyOperations, RenamingAValueKeepsItsDataAndTheTypeTheRegistryReports)
{
    struct Case
    {
        const char* pszWhat;
        const char* pszOld; // null: the unnamed value
        std::string newName;
        HRESULT hr;
    } const cases[] = {
        {"another name", "Old", "New", S_OK},
        {"a new spelling", "Old", "OLD", S_OK},
        {"the same name", "Old", "Old", S_OK},
        {"onto another value", "Old", "Other", kTaken},
        {"an empty name", "Old", "", kBadName},
        {"a name too long", "Old", std::string(200, 'n'), kBadName},
        {"the unnamed value", nullptr, "Named", S_OK},
        {"a value that is not there", "Missing", "New", kMissing},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszWhat);
        ScratchKey key;
        key.SetBinary("Old", {1, 2, 3}, REG_EXPAND_SZ);
        key.SetBinary("", {7, 8}, REG_DWORD_BIG_ENDIAN);
        key.SetString("Other", "keep me");
        Snapshot expected = SnapKey(key.path());
        const std::wstring oldName = c.pszOld ? AnsiToWide(c.pszOld) : std::wstring();
        EXPECT_EQ(RenameValue(key.get(), c.pszOld ? oldName.c_str() : nullptr, c.newName), c.hr);
        if (c.hr == S_OK)
            MoveEntry(expected[""], c.pszOld ? c.pszOld : "", c.newName);
        ExpectSameTree(SnapKey(key.path()), expected);
    }
}

TEST(KeyOperations, OnlyEmptyKeysAreRenamed)
{
    struct Case
    {
        const char* pszWhat;
        const char* pszNew;
        bool bValue; // the key holds a value
        bool bChild; // the key holds a subkey
        HRESULT hr;
    } const cases[] = {
        {"an empty key", "Renamed", false, false, S_OK},
        {"a new spelling", "KEY", false, false, S_OK},
        {"onto a sibling", "Sibling", false, false, kTaken},
        {"a key with a value", "Renamed", true, false, kNotEmpty},
        {"a key with a subkey", "Renamed", false, true, kNotEmpty},
        {"an empty name", "", false, false, kBadName},
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
        Snapshot expected = SnapKey(key.path());
        EXPECT_EQ(RenameEmptyKey(key.get(), L"Key", c.pszNew), c.hr);
        if (c.hr == S_OK)
            MoveEntry(expected, "Key", c.pszNew);
        ExpectSameTree(SnapKey(key.path()), expected);
    }
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
    // Every key and value of the source lands below To, over what is there; the rest stays, and
    // the source is untouched: a copy is no move.
    Snapshot expected = SnapKey(key.path());
    for (const auto& [path, values] : Snapshot(expected))
        if (path.rfind("From\\", 0) == 0)
            for (const auto& [name, value] : values)
                expected["To" + path.substr(4)][name] = value;

    ASSERT_EQ(CopyKeyTree(hTo.get(), hFrom.get(), L"Tree"), S_OK);
    ExpectSameTree(SnapKey(key.path()), expected);
    EXPECT_EQ(expected.at("To\\Tree").at("other").second, (std::vector<BYTE>{'s', 't', 'a', 'y', 's', 0}));
    EXPECT_EQ(expected.at("To\\Tree\\Sub").at("deep").second, (std::vector<BYTE>{1, 2}));
}

TEST(KeyOperations, ACopyIntoItsOwnSubkeyCopiesTheTreeAsItWasOnce)
{
    ScratchKey key;
    key.CreateSubkey("S\\T\\U");
    ::RegSetKeyValueA(key.get(), "S\\T\\U", "v", REG_SZ, "x", 2);
    UniqueHkey hT = Open(key.get(), "S\\T");
    // S copied into S\T: without a fixed extent the copy would find itself and grow.
    ASSERT_EQ(CopyKeyTree(hT.get(), key.get(), L"S"), S_OK);
    const Snapshot tree = SnapKey(key.path() + "\\S");
    EXPECT_EQ(tree.size(), 3u + 3u); // S, T, U and the copy S', T', U'
    EXPECT_EQ(tree.at("T\\S\\T\\U"), tree.at("T\\U"));
}

TEST(KeyOperations, KeyPathsContainTheirSubkeysOnly)
{
    struct Case
    {
        const char* pszOuter;
        const char* pszInner;
        bool bBelow;
    } const cases[] = {
        {"Software\\A", "Software\\A", true},      {"Software\\A", "software\\a\\B", true},
        {"Software\\A", "Software\\AB", false},    {"Software\\A", "Software", false},
        {"", "Anything", true},                   {"Software\\A\\B", "Software\\A", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsSameOrBelowKeyPath(c.pszOuter, c.pszInner), c.bBelow)
            << c.pszOuter << " / " << c.pszInner;
}

TEST(QuickValueRead, SmallValuesTakeTheBufferAndLargeOnesTheSizeQuery)
{
    ScratchKey key;
    BYTE buffer[kQuickValueBuffer];
    std::vector<BYTE> large;
    const BYTE* pData = nullptr;
    DWORD cbData = 0;
    for (const DWORD cb : {DWORD{0}, DWORD{1}, kQuickValueBuffer, kQuickValueBuffer + 1, DWORD{70000}})
    {
        SCOPED_TRACE(cb);
        std::vector<BYTE> bytes(cb);
        for (DWORD i = 0; i < cb; ++i)
            bytes[i] = static_cast<BYTE>(i * 7);
        key.SetBinary("v", bytes);
        ASSERT_TRUE(ReadValueDataQuick(key.get(), "v", buffer, sizeof(buffer), large, &pData, &cbData));
        EXPECT_EQ(pData == buffer, cb <= kQuickValueBuffer);
        EXPECT_EQ(std::vector<BYTE>(pData, pData + cbData), bytes);
    }
    EXPECT_FALSE(ReadValueDataQuick(key.get(), "missing", buffer, 16, large, &pData, &cbData));
}

} // namespace
