// Registry item records and ids: layout, comparison and turning a list back into a key.
#include "registry/FolderTestUtil.h"

#include <cstring>

using namespace corvasin;
using namespace corvasin::test;

TEST(RegItem, IdsAreAlways218BytesWhateverTheNameLength)
{
    const std::string longest(199, 'x');
    for (const char* name : {"", "a", "HKEY_LOCAL_MACHINE", longest.c_str()})
    {
        UniquePidl pidl = ItemId(REGITEM_VALUE, name);
        USHORT cb = 0;
        memcpy(&cb, pidl.get(), sizeof(cb));
        EXPECT_EQ(cb, 218);
        EXPECT_EQ(CountItemIds(pidl.get()), 1u);
        EXPECT_EQ(memcmp(reinterpret_cast<const BYTE*>(pidl.get()) + 2, "CORV", 4), 0);
    }
}

TEST(RegItem, NamesLongerThanTheFieldAreCutAt199Characters)
{
    EXPECT_EQ(strlen(MakeRegItem(REGITEM_KEY, 0, std::string(300, 'n').c_str()).szName), 199u);
}

TEST(RegItem, ValuesSortAfterKeysAndDefaultAmongTheValues)
{
    const REGITEM zetaKey = MakeRegItem(REGITEM_KEY, 0, "Zeta");
    const REGITEM alphaValue = MakeRegItem(REGITEM_VALUE, 0, "Alpha");
    const REGITEM deflt = MakeRegItem(REGITEM_DEFAULT, 0, "(default)");
    EXPECT_GT(CompareRegItems(&alphaValue, &zetaKey), 0);
    // "(default)" sorts among the values by its name.
    EXPECT_LT(CompareRegItems(&deflt, &alphaValue), 0);
}

TEST(ItemIdData, RefusesDelegateWrappersTooShortForTheRecord)
{
    BYTE wrapped[230] = {};
    wrapped[0] = 228;
    wrapped[2] = 0x61;
    wrapped[3] = 0x03;
    wrapped[4] = 16;
    EXPECT_EQ(ItemIdData(reinterpret_cast<LPCITEMIDLIST>(wrapped), sizeof(REGITEM), true), nullptr);
    wrapped[4] = 216;
    EXPECT_EQ(ItemIdData(reinterpret_cast<LPCITEMIDLIST>(wrapped), sizeof(REGITEM), true), wrapped + 6);
}

TEST(CountItemIds, CountsIdsBeforeTheTerminator)
{
    EXPECT_EQ(CountItemIds(nullptr), 0u);
    EXPECT_EQ(CountItemIds(HkcuPidl("Software\\A\\B").get()), 4u);
}

TEST(ResolveItemIdList, AListEndingAtARootItemIsThePredefinedKey)
{
    EXPECT_EQ(ResolveItemIdList(ItemId(REGITEM_KEY, "HKEY_CURRENT_USER", 0x80000001).get()), HKEY_CURRENT_USER);
    EXPECT_EQ(ResolveItemIdList(nullptr), nullptr);
}

TEST(ResolveItemIdList, SkipsForeignIdsAndOpensThePathBelowTheRoot)
{
    ScratchKey scratch;
    scratch.CreateSubkey("Inner");
    // A foreign id in front stands for the shell's ids down to the mount point.
    BYTE foreign[24] = {20, 0, 0x1F, 0x50};
    UniquePidl pidl = Combine(reinterpret_cast<LPCITEMIDLIST>(foreign), HkcuPidl(scratch.path() + "\\Inner").get());
    UniqueHkey hKey(ResolveItemIdList(pidl.get()));
    ASSERT_TRUE(hKey);
    EXPECT_NE(hKey.get(), HKEY_CURRENT_USER);

    EXPECT_EQ(ResolveItemIdList(HkcuPidl(scratch.path() + "\\Missing").get()), nullptr);
}
