// Two scratch trees with every kind of difference: the list the comparison gives, and the file
// that turns the first into the second, merged by the system's registry editor.
#include "core/Handles.h"
#include "registry/FileByteSink.h"
#include "registry/KeyCompare.h"
#include "registry/RegFileText.h"
#include "registry/Utf16ByteSink.h"
#include "support/RegistrySnapshot.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

using namespace corvasin;
using namespace corvasin::test;

namespace
{
void Set(HKEY hRoot, const wchar_t* pszKey, const wchar_t* pszName, DWORD dwType, std::vector<BYTE> data)
{
    UniqueHkey key;
    ASSERT_EQ(::RegCreateKeyExW(hRoot, pszKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.get(), pszName, 0, dwType, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

std::vector<BYTE> Text(const wchar_t* psz)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(psz);
    return std::vector<BYTE>(p, p + (wcslen(psz) + 1) * sizeof(wchar_t));
}

UniqueHkey Open(HKEY hParent, const wchar_t* pszPath)
{
    UniqueHkey key;
    ::RegOpenKeyExW(hParent, pszPath, 0, KEY_ALL_ACCESS, key.put());
    return key;
}
} // namespace

TEST(KeyCompare, ListsEveryKindOfDifferenceAndItsFileTurnsTheFirstTreeIntoTheSecond)
{
    ScratchKey scratch;
    const HKEY h = scratch.get();
    // Alike on both sides: a value, a key whose names differ only in case.
    for (const wchar_t* pszSide : {L"A", L"B"})
        Set(h, pszSide, L"same", REG_DWORD, {1, 0, 0, 0});
    Set(h, L"A\\Mixed", L"v", REG_SZ, Text(L"x"));
    Set(h, L"B\\MIXED", L"V", REG_SZ, Text(L"x"));
    // Data, type, only one side; the unnamed value; a name and data the code page cannot hold;
    // a string without its terminating zero.
    Set(h, L"A", L"changed", REG_SZ, Text(L"old"));
    Set(h, L"B", L"changed", REG_SZ, Text(L"new"));
    Set(h, L"A", L"type", REG_SZ, Text(L"5"));
    Set(h, L"B", L"type", REG_DWORD, {5, 0, 0, 0});
    Set(h, L"A", L"onlyA", REG_BINARY, {1, 2, 3});
    Set(h, L"A", L"", REG_SZ, Text(L"default"));
    Set(h, L"B", L"only \u0416", REG_MULTI_SZ, {'a', 0, 0, 0, 0, 0});
    Set(h, L"B", L"raw", REG_SZ, {'a', 0, 'b', 0});
    // Deeper: a change below a key both have, and trees only one side has.
    Set(h, L"A\\Both\\Deep", L"d", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
    Set(h, L"B\\Both\\Deep", L"d", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 9});
    Set(h, L"A\\OnlyA\\Below", L"x", REG_DWORD, {7, 0, 0, 0});
    Set(h, L"B\\OnlyB \u0416\\Below", L"y", REG_EXPAND_SZ, Text(L"%TEMP%"));

    UniqueHkey a = Open(h, L"A"), b = Open(h, L"B");
    KeyComparison comparison;
    CompareKeyTrees(a.get(), b.get(), comparison);
    EXPECT_TRUE(comparison.bComplete);
    using K = KeyDifference;
    const struct
    {
        K::Kind kind;
        const wchar_t* pszPath;
        const wchar_t* pszValue;
    } expected[] = {
        {K::ValueDiffers, L"", L"changed"},      {K::ValueDiffers, L"", L"type"},
        {K::ValueOnlyInSecond, L"", L"only \u0416"}, {K::ValueOnlyInSecond, L"", L"raw"},
        {K::ValueOnlyInFirst, L"", L"onlyA"},    {K::ValueOnlyInFirst, L"", L""},
        {K::ValueDiffers, L"Both\\Deep", L"d"},  {K::KeyOnlyInFirst, L"OnlyA", L""},
        {K::KeyOnlyInSecond, L"OnlyB \u0416", L""},
    };
    // Values come in each registry's own order (Wine's is by name, Windows' by age): compared as sets.
    std::multiset<std::tuple<int, std::wstring, std::wstring>> wanted, got;
    for (const auto& e : expected)
        wanted.emplace(e.kind, e.pszPath, e.pszValue);
    for (const KeyDifference& d : comparison.differences)
        got.emplace(d.kind, d.keyPath, d.valueName);
    EXPECT_EQ(got, wanted);
    const KeyDifference& type = *std::find_if(comparison.differences.begin(), comparison.differences.end(),
                                              [](const KeyDifference& d) { return d.valueName == L"type"; });
    EXPECT_EQ(type.dwFirstType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(type.secondData, (std::vector<BYTE>{5, 0, 0, 0}));

    // A limit stops the list and says so.
    KeyComparison limited;
    CompareKeyTrees(a.get(), b.get(), limited, 3);
    EXPECT_EQ(limited.differences.size(), 3u);
    EXPECT_FALSE(limited.bComplete);

    // The file, merged into the registry, leaves no difference: every byte arrived.
    const std::string path = TempFile("corvasin-differences.reg");
    {
        CFileByteSink file;
        ASSERT_TRUE(file.Create(path.c_str()));
        CUtf16ByteSink text(file);
        const CString firstName = "HKEY_CURRENT_USER\\" + scratch.path() + "\\A";
        ASSERT_TRUE(WriteUnicodeRegFileHeader(text) && WriteDifferences(comparison, b.get(), firstName, text));
        ASSERT_TRUE(file.Close());
    }
    ASSERT_EQ(ImportRegFile(path), 0u);
    ::DeleteFileA(path.c_str());
    a = Open(h, L"A");
    KeyComparison after;
    CompareKeyTrees(a.get(), b.get(), after);
    EXPECT_TRUE(after.bComplete);
    for (const KeyDifference& d : after.differences)
        ADD_FAILURE() << "still differs: " << d.kind << " " << ToUtf8(d.keyPath) << " " << ToUtf8(d.valueName);
}
