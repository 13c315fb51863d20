// The UI object as a data object: offered formats, stored formats and their limits, the medium
// rules of GetData, GetDataHere and QueryGetData, and the item id array.
#include "ShellUIObjectTestFolder.h"

#include "framework/ShellFormats.h"
#include "core/ComPtr.h"

#include <gtest/gtest.h>

#include <tuple>

namespace corvasin::test
{
namespace
{

FORMATETC Format(CLIPFORMAT cf, DWORD tymed = TYMED_HGLOBAL)
{
    return FORMATETC{cf, nullptr, DVASPECT_CONTENT, -1, tymed};
}

// A medium owning a fresh block with the given bytes (a fixed block of cb bytes with none).
STGMEDIUM BlockMedium(const std::vector<BYTE>& bytes, SIZE_T cb = 0)
{
    STGMEDIUM medium = {TYMED_HGLOBAL};
    medium.hGlobal = ::GlobalAlloc(cb ? GMEM_FIXED : GMEM_MOVEABLE, cb ? cb : bytes.size());
    if (!bytes.empty())
        memcpy(GlobalLock(medium.hGlobal).get(), bytes.data(), bytes.size());
    return medium;
}

std::vector<BYTE> BlockBytes(HGLOBAL h)
{
    GlobalLock lock(h);
    const auto* p = lock.as<BYTE>();
    return p ? std::vector<BYTE>(p, p + ::GlobalSize(h)) : std::vector<BYTE>();
}

// Registers a distinct made-up format for the test.
CLIPFORMAT TestFormat(int n)
{
    return static_cast<CLIPFORMAT>(
        ::RegisterClipboardFormatA(("CorvasinTestFormat" + std::to_string(n)).c_str()));
}

HRESULT Store(IDataObject* pdo, CLIPFORMAT cf, const std::vector<BYTE>& bytes)
{
    FORMATETC fe = Format(cf);
    STGMEDIUM medium = BlockMedium(bytes);
    const HRESULT hr = pdo->SetData(&fe, &medium, TRUE);
    if (FAILED(hr))
        ::ReleaseStgMedium(&medium);
    return hr;
}

std::vector<FORMATETC> Enumerate(IDataObject* pdo)
{
    std::vector<FORMATETC> formats;
    ComPtr<IEnumFORMATETC> enumerator;
    EXPECT_EQ(pdo->EnumFormatEtc(DATADIR_GET, enumerator.put()), S_OK);
    if (!enumerator)
        return formats;
    FORMATETC fe;
    ULONG cFetched = 0;
    while (enumerator->Next(1, &fe, &cFetched) == S_OK && cFetched == 1)
        formats.push_back(fe);
    return formats;
}

std::vector<CLIPFORMAT> Formats(IDataObject* pdo)
{
    std::vector<CLIPFORMAT> formats;
    for (const FORMATETC& fe : Enumerate(pdo))
        formats.push_back(fe.cfFormat);
    return formats;
}

// The bytes GetData gives for a format in a block of memory.
std::vector<BYTE> GetBytes(IDataObject* pdo, CLIPFORMAT cf)
{
    FORMATETC fe = Format(cf);
    UniqueStgMedium medium;
    EXPECT_EQ(pdo->GetData(&fe, medium.put()), S_OK);
    return BlockBytes(medium.get().hGlobal);
}

// A UI object over three items and its data object.
class ShellUIObjectData : public testing::Test
{
protected:
    // Test formats 0 to n - 1, each holding its number as its one byte.
    void StoreFormats(int n)
    {
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(Store(pdo, TestFormat(i), {BYTE(i)}), S_OK);
    }

    TestSelection selection{{{SFGAO_CANCOPY, "tip a", "a"}, {0, "", "b"}, {0, "", "c"}}};
    Held<CTestUIObject> ui{selection.MakeUIObject()};
    IDataObject* pdo = ui.As<IDataObject>();
};

TEST_F(ShellUIObjectData, OffersOnlyTheItemIdArrayWhileNothingIsStored)
{
    const auto formats = Enumerate(pdo);
    ASSERT_EQ(formats.size(), 1u);
    const FORMATETC& fe = formats[0];
    EXPECT_EQ(std::tuple(fe.cfFormat, fe.tymed, fe.dwAspect, fe.lindex, fe.ptd),
              std::tuple(ShellIdListFormat(), DWORD{TYMED_HGLOBAL}, DWORD{DVASPECT_CONTENT}, -1L, nullptr));
}

TEST_F(ShellUIObjectData, ListsStoredFormatsAfterTheItemIdArrayInStoringOrder)
{
    ASSERT_EQ(Store(pdo, TestFormat(2), {1}), S_OK);
    ASSERT_EQ(Store(pdo, TestFormat(1), {2}), S_OK);
    EXPECT_EQ(Formats(pdo), (std::vector{ShellIdListFormat(), TestFormat(2), TestFormat(1)}));
}

TEST_F(ShellUIObjectData, EnumeratorReportsPartialBatchesAndFollowsSkipAndReset)
{
    ASSERT_EQ(Store(pdo, TestFormat(1), {1}), S_OK);
    ComPtr<IEnumFORMATETC> enumerator;
    ASSERT_EQ(pdo->EnumFormatEtc(DATADIR_GET, enumerator.put()), S_OK);

    FORMATETC batch[4] = {};
    ULONG cFetched = 99;
    EXPECT_EQ(enumerator->Next(4, batch, &cFetched), S_FALSE);
    EXPECT_EQ(cFetched, 2u);
    EXPECT_EQ(enumerator->Next(0, batch, &cFetched), S_OK);
    EXPECT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Skip(1), S_OK);

    ComPtr<IEnumFORMATETC> clone;
    EXPECT_EQ(enumerator->Clone(clone.put()), E_NOTIMPL);
    EXPECT_FALSE(clone);
    ASSERT_EQ(enumerator->Next(1, batch, nullptr), S_OK);
    EXPECT_EQ(batch[0].cfFormat, TestFormat(1));
    // Skipping past the end stops at the end: nothing is left to fetch.
    EXPECT_EQ(enumerator->Skip(5), S_OK);
    EXPECT_EQ(enumerator->Next(1, batch, &cFetched), S_FALSE);
    EXPECT_EQ(cFetched, 0u);
    EXPECT_EQ(enumerator->Next(2, batch, nullptr), E_INVALIDARG);
}

TEST_F(ShellUIObjectData, EnumeratorKeepsItsOwnerAlive)
{
    ComPtr<IEnumFORMATETC> enumerator;
    ASSERT_EQ(pdo->EnumFormatEtc(DATADIR_GET, enumerator.put()), S_OK);
    EXPECT_EQ(RefCount(ui.get()), 2u);
    ui.reset();
    FORMATETC fe;
    EXPECT_EQ(enumerator->Next(1, &fe, nullptr), S_OK);
    // The last holder of the UI object lets go of the folder as well.
    EXPECT_EQ(RefCount(selection.folder.get()), 2u);
    enumerator.reset();
    EXPECT_EQ(RefCount(selection.folder.get()), 1u);
}

TEST_F(ShellUIObjectData, RefusesAnEleventhDistinctFormatWithOutOfMemory)
{
    StoreFormats(10);
    EXPECT_EQ(Store(pdo, TestFormat(10), {10}), E_OUTOFMEMORY);
    EXPECT_EQ(Enumerate(pdo).size(), 11u);
    FORMATETC fe = Format(TestFormat(10));
    EXPECT_EQ(pdo->QueryGetData(&fe), DV_E_FORMATETC);
}

TEST_F(ShellUIObjectData, AFullTableRefusesEvenAReplacement)
{
    StoreFormats(10);
    EXPECT_EQ(Store(pdo, TestFormat(3), {7, 7, 7}), E_OUTOFMEMORY);
    EXPECT_EQ(Enumerate(pdo).size(), 11u);
    EXPECT_EQ(GetBytes(pdo, TestFormat(3)), (std::vector<BYTE>{3}));
}

TEST_F(ShellUIObjectData, ReplacesAStoredFormatInPlace)
{
    StoreFormats(4);
    ASSERT_EQ(Store(pdo, TestFormat(3), {7, 7, 7}), S_OK);
    EXPECT_EQ(GetBytes(pdo, TestFormat(3)), (std::vector<BYTE>{7, 7, 7}));
    // Still one entry for it, in its first place.
    const auto formats = Formats(pdo);
    ASSERT_EQ(formats.size(), 5u);
    EXPECT_EQ(formats[4], TestFormat(3));
}

TEST_F(ShellUIObjectData, RefusesMediaItMayNotKeepAndStoresNothing)
{
    FORMATETC fe = Format(TestFormat(1));
    STGMEDIUM medium = BlockMedium({1, 2, 3, 4});
    EXPECT_EQ(pdo->SetData(&fe, &medium, FALSE), E_NOTIMPL);

    STGMEDIUM stream = {TYMED_ISTREAM};
    FORMATETC feStream = Format(TestFormat(1), TYMED_ISTREAM);
    EXPECT_EQ(pdo->SetData(&feStream, &stream, TRUE), E_NOTIMPL);
    EXPECT_EQ(pdo->SetData(nullptr, &medium, TRUE), E_INVALIDARG);
    EXPECT_EQ(pdo->SetData(&fe, nullptr, TRUE), E_INVALIDARG);

    EXPECT_EQ(Enumerate(pdo).size(), 1u);
    EXPECT_EQ(pdo->QueryGetData(&fe), DV_E_FORMATETC);
    ::ReleaseStgMedium(&medium);
}

TEST_F(ShellUIObjectData, GetDataOfAStoredFourByteFormatReturnsANewBlockWithTheSameBytes)
{
    FORMATETC fe = Format(TestFormat(1));
    STGMEDIUM stored = BlockMedium({0xDE, 0xAD, 0xBE, 0xEF});
    const HGLOBAL hStored = stored.hGlobal;
    ASSERT_EQ(pdo->SetData(&fe, &stored, TRUE), S_OK);

    UniqueStgMedium medium;
    ASSERT_EQ(pdo->GetData(&fe, medium.put()), S_OK);
    EXPECT_EQ(std::tuple(medium.get().tymed, medium.get().pUnkForRelease), std::tuple(DWORD{TYMED_HGLOBAL}, nullptr));
    EXPECT_NE(medium.get().hGlobal, hStored);
    EXPECT_EQ(BlockBytes(medium.get().hGlobal), (std::vector<BYTE>{0xDE, 0xAD, 0xBE, 0xEF}));
}

TEST_F(ShellUIObjectData, QueryGetDataWantsExactlyHGlobalWhileGetDataHereAcceptsAMask)
{
    FORMATETC fe = Format(ShellIdListFormat(), TYMED_HGLOBAL | TYMED_ISTREAM);
    EXPECT_EQ(pdo->QueryGetData(&fe), DV_E_TYMED);
    STGMEDIUM none = {};
    EXPECT_EQ(pdo->GetData(&fe, &none), DV_E_TYMED);

    STGMEDIUM medium = BlockMedium({}, 4096);
    EXPECT_EQ(pdo->GetDataHere(&fe, &medium), S_OK);
    FORMATETC feStream = Format(ShellIdListFormat(), TYMED_ISTREAM);
    EXPECT_EQ(pdo->GetDataHere(&feStream, &medium), DV_E_TYMED);
    ::ReleaseStgMedium(&medium);

    FORMATETC feExact = Format(ShellIdListFormat());
    EXPECT_EQ(pdo->QueryGetData(&feExact), S_OK);
    FORMATETC feUnknown = Format(TestFormat(1));
    EXPECT_EQ(pdo->QueryGetData(&feUnknown), DV_E_FORMATETC);
    EXPECT_EQ(pdo->QueryGetData(nullptr), E_INVALIDARG);
}

TEST_F(ShellUIObjectData, GetDataHereRefusesABlockTooSmallForThePayload)
{
    FORMATETC fe = Format(ShellIdListFormat());
    STGMEDIUM medium = BlockMedium({}, 8);
    EXPECT_EQ(pdo->GetDataHere(&fe, &medium), STG_E_MEDIUMFULL);
    ::ReleaseStgMedium(&medium);
}

TEST_F(ShellUIObjectData, ItemIdArrayOfThreeItemsHoldsTheFolderIdThenEachItem)
{
    const std::vector<BYTE> bytes = GetBytes(pdo, ShellIdListFormat());
    const UINT cbFolder = ::ILGetSize(selection.folder->GetPidl()); // 6 + 2 + 2
    const UINT cbItem = CTestItemFolder::kDataSize + 4;
    ASSERT_EQ(bytes.size(), 20u + cbFolder + 3 * cbItem);
    std::vector<UINT> header(5);
    memcpy(header.data(), bytes.data(), 5 * sizeof(UINT));
    EXPECT_EQ(header, (std::vector<UINT>{3, 20, 20 + cbFolder, 20 + cbFolder + cbItem, 20 + cbFolder + 2 * cbItem}));
    EXPECT_EQ(memcmp(bytes.data() + 20, selection.folder->GetPidl(), cbFolder), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(memcmp(bytes.data() + header[2 + i], selection.raw[i], cbItem), 0) << i;
}

TEST_F(ShellUIObjectData, ObjectWithoutFolderOrItemsGivesAnEmptyItemIdArray)
{
    Held bare(MakeBareUIObject());
    // Count 0, one offset to an empty list.
    EXPECT_EQ(GetBytes(bare.As<IDataObject>(), ShellIdListFormat()),
              (std::vector<BYTE>{0, 0, 0, 0, 8, 0, 0, 0, 0, 0}));
}

TEST_F(ShellUIObjectData, SelectionWithAMissingIdStandsForNoItems)
{
    LPCITEMIDLIST apidl[2] = {selection.raw[0], nullptr};
    Held missing(new CTestUIObject(selection.folder.get(), 2, apidl, nullptr, nullptr));
    EXPECT_EQ(missing->GetItemCount(), 0u);
}

TEST_F(ShellUIObjectData, AdviseIsNotSupportedAndClearsTheConnection)
{
    FORMATETC fe = Format(ShellIdListFormat());
    DWORD dwConnection = 77;
    EXPECT_EQ(pdo->DAdvise(&fe, 0, nullptr, &dwConnection), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(dwConnection, 0u);
    EXPECT_EQ(pdo->DUnadvise(1), OLE_E_ADVISENOTSUPPORTED);
    FORMATETC out = {};
    EXPECT_EQ(pdo->GetCanonicalFormatEtc(&fe, &out), E_NOTIMPL);
}

TEST_F(ShellUIObjectData, ExternalConnectionsCountStrongOnesAndHoldTheObject)
{
    auto* pConnection = ui.As<IExternalConnection>();
    ASSERT_NE(pConnection, nullptr);
    EXPECT_EQ(pConnection->AddConnection(EXTCONN_STRONG, 0), 1u);
    EXPECT_EQ(pConnection->AddConnection(EXTCONN_STRONG, 0), 2u);
    EXPECT_EQ(pConnection->AddConnection(EXTCONN_WEAK, 0), 0u);
    EXPECT_EQ(RefCount(ui.get()), 4u);
    EXPECT_EQ(pConnection->ReleaseConnection(EXTCONN_STRONG, 0, FALSE), 1u);
    EXPECT_EQ(pConnection->ReleaseConnection(EXTCONN_WEAK, 0, FALSE), 0u);
    EXPECT_EQ(pConnection->ReleaseConnection(EXTCONN_STRONG, 0, FALSE), 0u);
    EXPECT_EQ(RefCount(ui.get()), 1u);
    // A release nobody asked for must not take the test's own reference.
    EXPECT_EQ(pConnection->ReleaseConnection(EXTCONN_STRONG, 0, TRUE), 0u);
    EXPECT_EQ(RefCount(ui.get()), 1u);
}

} // namespace
} // namespace corvasin::test
