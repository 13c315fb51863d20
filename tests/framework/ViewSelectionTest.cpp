// Reading a view's selection out of a "Shell IDList Array" block: well-formed blocks give copies
// of the item lists; counts, offsets and lists that do not fit the block are refused.
#include "framework/ViewSelection.h"

#include <gtest/gtest.h>
#include <cstring>

namespace corvasin
{
namespace
{

// A block: the count, the offsets, then raw bytes (lists) placed at the offsets.
std::vector<BYTE> Block(std::vector<UINT> header, std::vector<BYTE> tail)
{
    std::vector<BYTE> block(header.size() * sizeof(UINT));
    std::memcpy(block.data(), header.data(), block.size());
    block.insert(block.end(), tail.begin(), tail.end());
    return block;
}

TEST(ViewSelection, ReadsTheItemListsOfAWellFormedBlock)
{
    // 2 items; the folder list at 16 (empty), items at 18 ("ab") and 24 ("c" + "d", two ids).
    const std::vector<BYTE> block = Block({2, 16, 18, 24},
                                          {0, 0, 4, 0, 'a', 'b', 0, 0, 3, 0, 'c', 3, 0, 'd', 0, 0});
    std::vector<UniquePidl> items;
    ASSERT_TRUE(ReadIdListArray(block.data(), block.size(), items));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(std::memcmp(items[0].get(), "\x04\x00" "ab\0\0", 6), 0);
    EXPECT_EQ(std::memcmp(items[1].get(), "\x03\x00" "c\x03\x00" "d\0\0", 8), 0);
}

TEST(ViewSelection, RefusesBlocksThatDoNotHoldWhatTheySay)
{
    const std::vector<std::vector<BYTE>> rows = {
        {1, 0},                                               // shorter than the count
        Block({0x40000000, 12, 14}, {0, 0, 0, 0}),            // a count past the block
        Block({1, 12, 200}, {0, 0, 0, 0}),                    // an offset past the block
        Block({1, 12, 14}, {0, 0, 8, 0, 'x', 'y'}),           // an id running past the end
        Block({1, 12, 14}, {0, 0, 4, 0, 'x', 'y'}),           // no terminator
        Block({1, 12, 14}, {0, 0, 1, 0, 0, 0}),               // an id shorter than its size word
    };
    for (size_t i = 0; i < rows.size(); ++i)
    {
        SCOPED_TRACE(i);
        std::vector<UniquePidl> items;
        EXPECT_FALSE(ReadIdListArray(rows[i].data(), rows[i].size(), items));
        EXPECT_TRUE(items.empty());
    }
    std::vector<UniquePidl> items;
    EXPECT_FALSE(ReadIdListArray(nullptr, 100, items));
    EXPECT_FALSE(GetViewSelection(nullptr, items));
}

} // namespace
} // namespace corvasin
