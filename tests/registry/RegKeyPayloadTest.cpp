// The registry key payload: its layout byte for byte, and a seeded stream of broken blocks
// that must all be refused without a read past their end.
#include "registry/FolderTestUtil.h"
#include "registry/RegKeyPayload.h"

#include <cstring>
#include <random>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

DWORD DwordAt(const std::vector<BYTE>& bytes, size_t offset)
{
    DWORD dw = 0;
    memcpy(&dw, bytes.data() + offset, sizeof(dw));
    return dw;
}

// A block whose last byte is followed by an inaccessible page: any read past it faults.
class GuardedBlock
{
public:
    explicit GuardedBlock(const std::vector<BYTE>& bytes)
    {
        const SIZE_T cbPage = 4096;
        const SIZE_T cbData = (bytes.size() + cbPage - 1) / cbPage * cbPage;
        m_pBase = static_cast<BYTE*>(
            ::VirtualAlloc(nullptr, cbData + cbPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD dwOld = 0;
        ::VirtualProtect(m_pBase + cbData, cbPage, PAGE_NOACCESS, &dwOld);
        m_pData = m_pBase + cbData - bytes.size();
        if (!bytes.empty())
            memcpy(m_pData, bytes.data(), bytes.size());
    }
    ~GuardedBlock() { ::VirtualFree(m_pBase, 0, MEM_RELEASE); }
    GuardedBlock(const GuardedBlock&) = delete;
    GuardedBlock& operator=(const GuardedBlock&) = delete;
    const BYTE* data() const { return m_pData; }

private:
    BYTE* m_pBase = nullptr;
    BYTE* m_pData = nullptr;
};

std::vector<BYTE> Payload(LPCITEMIDLIST pidlFolder, const std::vector<LPCITEMIDLIST>& items)
{
    std::vector<BYTE> bytes(RegKeyPayloadSize(pidlFolder, static_cast<UINT>(items.size()), items.data()));
    EXPECT_TRUE(WriteRegKeyPayload(bytes.data(), bytes.size(), pidlFolder,
                                   static_cast<UINT>(items.size()), items.data()));
    return bytes;
}

TEST(RegKeyPayload, LaysOutCountFolderZeroAndItems)
{
    UniquePidl folder = Combine(ItemId(REGITEM_KEY, "HKEY_CURRENT_USER", 0, REG_SZ).get(),
                                ItemId(REGITEM_KEY, "Environment", 0, REG_SZ).get());
    UniquePidl path = ItemId(REGITEM_VALUE, "Path", 0, REG_SZ);
    const std::vector<BYTE> bytes = Payload(folder.get(), {path.get()});

    const UINT cbFolder = ::ILGetSize(folder.get());
    ASSERT_EQ(bytes.size(), 8 + cbFolder + 224u);
    EXPECT_EQ(DwordAt(bytes, 0), 1u);
    EXPECT_EQ(memcmp(bytes.data() + 4, folder.get(), cbFolder), 0);
    EXPECT_EQ(DwordAt(bytes, 4 + cbFolder), 0u);
    EXPECT_EQ(memcmp(bytes.data() + 8 + cbFolder, path.get(), 220), 0);
    EXPECT_EQ(DwordAt(bytes, 8 + cbFolder + 220), 0u);

    RegKeyPayload payload;
    GuardedBlock block(bytes);
    ASSERT_TRUE(ReadRegKeyPayload(block.data(), bytes.size(), payload));
    EXPECT_EQ(::ILGetSize(payload.pidlFolder), cbFolder);
    ASSERT_EQ(payload.items.size(), 1u);
    EXPECT_EQ(ReadRegItem(ItemIdData(payload.items[0], sizeof(REGITEM), false)).dwKind, REGITEM_VALUE);
    // A writer given too little room writes nothing.
    std::vector<BYTE> small(bytes.size() - 1);
    EXPECT_FALSE(WriteRegKeyPayload(small.data(), small.size(), folder.get(), 1, payload.items.data()));
}

TEST(RegKeyPayload, AnObjectWithoutItemsGivesEightBytes)
{
    const std::vector<BYTE> bytes = Payload(nullptr, {});
    EXPECT_EQ(bytes, std::vector<BYTE>(8, 0));
    RegKeyPayload payload;
    EXPECT_TRUE(ReadRegKeyPayload(bytes.data(), bytes.size(), payload));
    EXPECT_EQ(payload.pidlFolder, nullptr);
    EXPECT_TRUE(payload.items.empty());
}

TEST(RegKeyPayload, BrokenBlocksAreRefusedWithoutReadingPastThem)
{
    UniquePidl root = ItemId(REGITEM_KEY, "HKEY_CURRENT_USER", 0, REG_SZ);
    UniquePidl a = ItemId(REGITEM_KEY, "A", 0, REG_SZ);
    UniquePidl b = ItemId(REGITEM_VALUE, "B", 0, REG_SZ);
    const std::vector<BYTE> good = Payload(root.get(), {a.get(), b.get()});

    std::mt19937 random(20261207);
    int cAccepted = 0;
    for (int n = 0; n < 4000; ++n)
    {
        std::vector<BYTE> bytes = good;
        switch (n % 4)
        {
        case 0: // cut short anywhere
            bytes.resize(random() % good.size());
            break;
        case 1: // a few bytes changed anywhere, sizes and count included
            for (int k = 0; k < 1 + static_cast<int>(random() % 4); ++k)
                bytes[random() % bytes.size()] = static_cast<BYTE>(random());
            break;
        case 2: // an absurd count
        {
            const DWORD c = random();
            memcpy(bytes.data(), &c, 4);
            break;
        }
        default: // noise of any length
            bytes.resize(random() % 600);
            for (BYTE& byte : bytes)
                byte = static_cast<BYTE>(random());
            break;
        }
        GuardedBlock block(bytes);
        RegKeyPayload payload;
        if (!ReadRegKeyPayload(block.data(), bytes.size(), payload))
        {
            EXPECT_TRUE(payload.items.empty());
            continue;
        }
        ++cAccepted;
        // What is accepted lies inside the block, every list ending there.
        const BYTE* pEnd = block.data() + bytes.size();
        for (LPCITEMIDLIST pidl : payload.items)
            EXPECT_LE(reinterpret_cast<const BYTE*>(pidl) + ::ILGetSize(pidl), pEnd);
    }
    EXPECT_LT(cAccepted, 4000);
}

} // namespace
