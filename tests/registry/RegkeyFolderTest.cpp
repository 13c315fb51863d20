// The key folder through its COM interfaces, as the shell calls it, on a scratch key.
#include "registry/FolderTestUtil.h"

#include <oleauto.h>

using namespace corvasin;
using namespace corvasin::test;

namespace
{
constexpr DWORD kAll = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;

using RegkeyFolder = ScratchFolder;

// The texts of an item's columns (the titles for null), column by column.
void ExpectColumns(IShellFolder2* psf, LPCITEMIDLIST pidl, const std::vector<std::pair<UINT, std::string>>& columns)
{
    for (const auto& [iColumn, text] : columns)
        EXPECT_EQ(Details(psf, pidl, iColumn), text) << "column " << static_cast<int>(iColumn);
}

// The name of the next item an enumerator hands out, or "<none>".
std::string NextName(IEnumIDList* e)
{
    LPITEMIDLIST pidl = nullptr;
    if (e->Next(1, &pidl, nullptr) != S_OK)
        return "<none>";
    UniquePidl owned(pidl);
    return RecordOf(pidl).szName;
}
} // namespace

TEST_F(RegkeyFolder, ListsSubkeysThenDefaultThenValues)
{
    scratch.CreateSubkey("Beta");
    scratch.CreateSubkey("alpha");
    scratch.SetString("Zulu", "z");
    scratch.SetDword("Count", 5);
    const auto items = List(Folder(), kAll);
    ASSERT_EQ(items.size(), 5u);
    const DWORD kinds[] = {REGITEM_KEY, REGITEM_KEY, REGITEM_DEFAULT, REGITEM_VALUE, REGITEM_VALUE};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(RecordOf(items[i].get()).dwKind, kinds[i]) << i;
    EXPECT_STREQ(RecordOf(items[2].get()).szName, "(default)");
    EXPECT_EQ(RecordOf(items[2].get()).dwValueType, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(RecordOf(items[RecordOf(items[3].get()).dwValueType == REG_DWORD ? 3 : 4].get()).szName, "Count");
}

TEST_F(RegkeyFolder, AnEmptyKeyListsOnlyDefault)
{
    EXPECT_EQ(Names(List(Folder(), kAll)), std::vector<std::string>{"(default)"});
}

TEST_F(RegkeyFolder, TheUnnamedValueIsListedOnceAsDefault)
{
    scratch.SetString("a", "1");
    scratch.SetString(nullptr, "unnamed");
    scratch.SetString("b", "2");
    const auto names = Names(List(Folder(), kAll));
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], "(default)");
    EXPECT_EQ(std::count(names.begin(), names.end(), std::string()), 0);
}

TEST_F(RegkeyFolder, ANameTooLongForTheRecordEndsTheValues)
{
    scratch.SetString("first", "1");
    scratch.SetString(std::string(210, 'v').c_str(), "long");
    for (const auto& name : Names(List(Folder(), kAll)))
        EXPECT_LT(name.size(), 200u);
}

TEST_F(RegkeyFolder, EnumeratorRestartsAfterTheEndAndClonesStartFresh)
{
    scratch.CreateSubkey("k1");
    scratch.CreateSubkey("k2");
    ComPtr<IEnumIDList> e;
    ASSERT_EQ(Folder()->EnumObjects(nullptr, kAll, e.put()), S_OK);
    LPITEMIDLIST ids[5] = {};
    ULONG fetched = 0;
    EXPECT_EQ(e->Next(5, ids, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 3u); // two keys and "(default)"
    for (ULONG i = 0; i < fetched; ++i)
        ::ILFree(ids[i]);
    EXPECT_EQ(NextName(e.get()), "k1"); // starts again
    ComPtr<IEnumIDList> clone;
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    EXPECT_EQ(NextName(clone.get()), "k1");
    EXPECT_EQ(e->Skip(1), S_OK);
    EXPECT_EQ(NextName(e.get()), "(default)");
    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(NextName(e.get()), "k1");

    ComPtr<IUnknown> unk;
    EXPECT_EQ(e->QueryInterface(IID_IInternetSecurityManager, unk.put_void()), S_OK);
    EXPECT_EQ(e->QueryInterface(IID_IShellFolder, unk.put_void()), E_NOINTERFACE);
}

TEST_F(RegkeyFolder, AnEmptyFolderEnumeratesNothing)
{
    ComPtr<IEnumIDList> e;
    ASSERT_EQ(Folder()->EnumObjects(nullptr, SHCONTF_FOLDERS, e.put()), S_OK);
    LPITEMIDLIST id = nullptr;
    ULONG fetched = 7;
    EXPECT_EQ(e->Next(1, &id, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(e->Skip(3), S_OK);
}

TEST_F(RegkeyFolder, ColumnTextsAndTitles)
{
    scratch.CreateSubkey("Sub");
    scratch.SetDword("dw", 0xFFFFFFFF);
    scratch.SetString("path", "%SystemRoot%\\x", REG_EXPAND_SZ);
    scratch.SetBinary("bin", {0x01, 0xAB, 0xFF});
    ExpectColumns(Folder(), nullptr, {{0, "Name"}, {1, "Value"}, {2, "Type"}, {3, "<E_FAIL>"}});
    ExpectColumns(Folder(), ItemId(REGITEM_VALUE, "dw", 0, REG_DWORD).get(),
                  {{0, "dw"}, {1, "0xFFFFFFFF (-1)"}, {2, "REG_DWORD"}, {4, "4 bytes"}});
    ExpectColumns(Folder(), ItemId(REGITEM_VALUE, "path", 0, REG_EXPAND_SZ).get(), {{1, "\"%SystemRoot%\\x\""}});
    ExpectColumns(Folder(), ItemId(REGITEM_VALUE, "bin", 0, REG_BINARY).get(), {{1, "01 AB FF"}});
    // No value and type for a key, and no info tip (-1) in a key folder.
    UniquePidl sub = ItemId(REGITEM_KEY, "Sub");
    ExpectColumns(Folder(), sub.get(), {{1, "<E_FAIL>"}, {2, "<E_FAIL>"}, {UINT(-1), "<E_FAIL>"}});
    EXPECT_NE(Details(Folder(), sub.get(), 5), "<E_FAIL>"); // last write time
    // The default item of a key without an unnamed value reads REG_SZ and no value.
    ExpectColumns(Folder(), ItemId(REGITEM_DEFAULT, "(default)", 0, REG_SZ).get(), {{2, "REG_SZ"}, {1, "<E_FAIL>"}});
}

TEST_F(RegkeyFolder, AKeyWithoutValuesShowsOnlyTheNameColumn)
{
    scratch.CreateSubkey("Sub");
    ExpectColumns(Folder(), nullptr, {{0, "Name"}, {1, "<E_FAIL>"}});
}

TEST_F(RegkeyFolder, LongTextsAreCutTo259Characters)
{
    scratch.SetString("long", std::string(300, 'x'));
    EXPECT_EQ(Details(Folder(), ItemId(REGITEM_VALUE, "long", 0, REG_SZ).get(), 1).size(), 259u);
}

TEST_F(RegkeyFolder, AttributesFollowTheItemKind)
{
    scratch.CreateSubkey("Parent\\Child");
    scratch.CreateSubkey("Leaf");
    scratch.SetString("v", "x");
    auto attributes = [&](LPCITEMIDLIST pidl) {
        SFGAOF flags = 0xFFFFFFFF;
        EXPECT_EQ(Folder()->GetAttributesOf(pidl ? 1 : 0, pidl ? &pidl : nullptr, &flags), S_OK);
        return flags;
    };
    UniquePidl parent = ItemId(REGITEM_KEY, "Parent");
    UniquePidl value = ItemId(REGITEM_VALUE, "v", 0, REG_SZ);
    EXPECT_EQ(attributes(parent.get()), kKeyAttributes | SFGAO_HASSUBFOLDER); // no rename then
    EXPECT_EQ(attributes(ItemId(REGITEM_KEY, "Leaf").get()), kKeyAttributes | SFGAO_CANRENAME);
    EXPECT_EQ(attributes(ItemId(REGITEM_KEY, "Missing").get()), kKeyAttributes);
    EXPECT_EQ(attributes(value.get()), kValueAttributes);
    EXPECT_EQ(attributes(nullptr), kAnyKeyAttributes);

    // Asking only for file-system bits answers 0 without looking at the items.
    SFGAOF fs = SFGAO_FILESYSTEM;
    LPCITEMIDLIST p = value.get();
    EXPECT_EQ(Folder()->GetAttributesOf(1, &p, &fs), S_OK);
    EXPECT_EQ(fs, 0u);

    // Several items share what all of them carry, masked to what was asked: a key with a value
    // is no folder; a missing id anywhere leaves the answer as it was.
    LPCITEMIDLIST two[] = {parent.get(), value.get()};
    SFGAOF flags = SFGAO_CANCOPY | SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
    EXPECT_EQ(Folder()->GetAttributesOf(2, two, &flags), S_OK);
    EXPECT_EQ(flags, static_cast<SFGAOF>(SFGAO_CANCOPY));
    LPCITEMIDLIST gap[] = {parent.get(), nullptr};
    flags = SFGAO_FOLDER;
    EXPECT_EQ(Folder()->GetAttributesOf(2, gap, &flags), E_INVALIDARG);
    EXPECT_EQ(flags, static_cast<SFGAOF>(SFGAO_FOLDER));
}

TEST_F(RegkeyFolder, IconsByKindAndType)
{
    // The module holding the folder code (this test program here, the DLL in the shell).
    WCHAR module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    auto icon = [&](DWORD kind, DWORD type, UINT flags) {
        UniquePidl id = ItemId(kind, "x", 0, type);
        LPCITEMIDLIST p = id.get();
        ComPtr<IExtractIconW> extract;
        EXPECT_EQ(Folder()->GetUIObjectOf(nullptr, 1, &p, IID_IExtractIconW, nullptr, extract.put_void()), S_OK);
        WCHAR file[MAX_PATH] = {};
        int index = -1;
        UINT outFlags = 0xFF;
        EXPECT_EQ(extract->GetIconLocation(flags, file, MAX_PATH, &index, &outFlags), S_OK);
        EXPECT_EQ(outFlags, 0u);
        EXPECT_STREQ(file, module);
        HICON large = nullptr, small = nullptr;
        EXPECT_EQ(extract->Extract(file, index, &large, &small, 0), S_FALSE);
        return index;
    };
    EXPECT_EQ((std::vector<int>{icon(REGITEM_KEY, 0, 0), icon(REGITEM_KEY, 0, GIL_OPENICON),
                                icon(REGITEM_VALUE, REG_NONE, 0), icon(REGITEM_VALUE, REG_EXPAND_SZ, 0),
                                icon(REGITEM_VALUE, REG_DWORD, 0), icon(REGITEM_DEFAULT, REG_SZ, 0)}),
              (std::vector<int>{1, 2, 4, 3, 4, 3}));

    UniquePidl id = ItemId(REGITEM_KEY, "x");
    LPCITEMIDLIST p = id.get();
    ComPtr<IUnknown> unk;
    EXPECT_EQ(Folder()->GetUIObjectOf(nullptr, 1, &p, IID_IExtractIconA, nullptr, unk.put_void()), S_OK);
    EXPECT_EQ(Folder()->GetUIObjectOf(nullptr, 0, nullptr, IID_IExtractIconW, nullptr, unk.put_void()),
              E_NOINTERFACE);
    EXPECT_FALSE(unk);
}

TEST_F(RegkeyFolder, SubFoldersAreSharedWhileAliveAndOpenTheirKey)
{
    scratch.CreateSubkey("Software");
    CNameSpaceExtension* pFolder = FolderObject(Folder());
    const REGITEM item = MakeRegItem(REGITEM_KEY, 0, "Software");
    const CmdTargetPtr<CNameSpaceExtension> first = pFolder->GetSubFolder(&item);
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), pFolder->GetSubFolder(&item).get());
    EXPECT_NE(static_cast<CRegkeyExtension*>(first.get())->GetOpenKey(), nullptr);
    EXPECT_EQ(CountItemIds(first->GetPidl()), CountItemIds(pFolder->GetPidl()) + 1);
    const REGITEM value = MakeRegItem(REGITEM_VALUE, 0, "v", REG_SZ);
    EXPECT_FALSE(pFolder->GetSubFolder(&value));
}

TEST_F(RegkeyFolder, BindToObjectWalksSeveralLevels)
{
    scratch.CreateSubkey("A\\B");
    scratch.SetString("A\\B", "x");
    UniquePidl a = ItemId(REGITEM_KEY, "A");
    UniquePidl ab = Combine(a.get(), ItemId(REGITEM_KEY, "B").get());
    ComPtr<IShellFolder> sub;
    ASSERT_EQ(Folder()->BindToObject(ab.get(), nullptr, IID_IShellFolder, sub.put_void()), S_OK);
    ComPtr<IRegFolder> reg;
    ASSERT_EQ(sub.As(reg), S_OK);
    BSTR path = nullptr;
    ASSERT_EQ(reg->GetPath(&path), S_OK);
    EXPECT_EQ(WideToAnsi(UniqueBstr(path).get()), scratch.path() + "\\A\\B");
    HKEY hKey = nullptr;
    EXPECT_EQ(reg->GetKey(&hKey), S_OK);
    EXPECT_NE(hKey, nullptr);

    ComPtr<IPersistFolder2> persist;
    ASSERT_EQ(sub.As(persist), S_OK);
    UniquePidl cur;
    ASSERT_EQ(persist->GetCurFolder(cur.put()), S_OK);
    EXPECT_STREQ(RecordOf(LastItemId(cur.get())).szName, "B");

    ComPtr<IShellFolder> none;
    UniquePidl value = ItemId(REGITEM_VALUE, "v", 0, REG_SZ);
    EXPECT_EQ(Folder()->BindToObject(value.get(), nullptr, IID_IShellFolder, none.put_void()), E_FAIL);
    EXPECT_EQ(Folder()->BindToObject(a.get(), nullptr, IID_IEnumIDList, none.put_void()), E_NOINTERFACE);
}

TEST_F(RegkeyFolder, CompareIdsOrdersByDepthThenKindThenName)
{
    scratch.CreateSubkey("A");
    UniquePidl a = ItemId(REGITEM_KEY, "A");
    UniquePidl zeta = ItemId(REGITEM_KEY, "Zeta");
    UniquePidl alpha = ItemId(REGITEM_VALUE, "Alpha", 0, REG_SZ);
    UniquePidl alphaUpper = ItemId(REGITEM_VALUE, "ALPHA", 0, REG_SZ);
    UniquePidl ax = Combine(a.get(), ItemId(REGITEM_VALUE, "x", 0, REG_SZ).get());
    UniquePidl ay = Combine(a.get(), ItemId(REGITEM_VALUE, "y", 0, REG_SZ).get());

    auto low16 = [](HRESULT hr) { return static_cast<short>(HRESULT_CODE(hr)); };
    EXPECT_LT(low16(Folder()->CompareIDs(0, zeta.get(), alpha.get())), 0);
    EXPECT_EQ(Folder()->CompareIDs(2, alpha.get(), alphaUpper.get()), 0);
    // Depth first, whatever the items. "Sorts first" is a success code too: a caller that
    // tests SUCCEEDED before reading the low 16 bits must not take it for a failure.
    const HRESULT hrShorterFirst = Folder()->CompareIDs(0, zeta.get(), ax.get());
    EXPECT_TRUE(SUCCEEDED(hrShorterFirst));
    EXPECT_EQ(low16(hrShorterFirst), -1);
    EXPECT_EQ(hrShorterFirst, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0xFFFF));
    EXPECT_EQ(Folder()->CompareIDs(0, ax.get(), zeta.get()), 1);
    EXPECT_TRUE(SUCCEEDED(Folder()->CompareIDs(0, zeta.get(), alpha.get())));
    // Same depth: the sub-folder compares the rest.
    EXPECT_LT(low16(Folder()->CompareIDs(0, ax.get(), ay.get())), 0);
    EXPECT_EQ(Folder()->CompareIDs(0, ax.get(), ax.get()), 0);
}

TEST_F(RegkeyFolder, DisplayNamesOfSeveralLevels)
{
    scratch.CreateSubkey("A");
    UniquePidl a = ItemId(REGITEM_KEY, "A");
    UniquePidl av = Combine(a.get(), ItemId(REGITEM_VALUE, "Val", 0, REG_SZ).get());
    EXPECT_EQ(DisplayName(Folder(), av.get(), SHGDN_NORMAL), "A\\Val");
}

TEST_F(RegkeyFolder, DelegateWrappedIdsAreNotRenamed)
{
    const REGITEM item = MakeRegItem(REGITEM_KEY, 0, "Wrapped");
    // The shell's delegate wrapper: size, 0x61, 0x03, the inner size, then the record.
    BYTE wrapped[6 + sizeof(REGITEM) + 2] = {0, 0, 0x61, 0x03, sizeof(REGITEM)};
    const USHORT cb = 6 + sizeof(REGITEM);
    memcpy(wrapped, &cb, sizeof(cb));
    memcpy(wrapped + 6, &item, sizeof(item));
    auto pidl = reinterpret_cast<LPCITEMIDLIST>(wrapped);
    LPITEMIDLIST out = reinterpret_cast<LPITEMIDLIST>(1);
    EXPECT_EQ(Folder()->SetNameOf(nullptr, pidl, L"x", 0, &out), E_INVALIDARG);
    EXPECT_EQ(out, nullptr);
}

TEST_F(RegkeyFolder, MalformedIdsFailWithoutReadingPastThem)
{
    BYTE shortId[8] = {6, 0, 'C', 'O', 'R', 'V', 0, 0};
    BYTE foreignId[220] = {218 & 0xFF, 0, 'N', 'O', 'P', 'E'};
    for (BYTE* bytes : {shortId, foreignId})
    {
        auto pidl = reinterpret_cast<LPCITEMIDLIST>(bytes);
        STRRET str;
        EXPECT_EQ(Folder()->GetDisplayNameOf(pidl, 0, &str), E_INVALIDARG);
        ComPtr<IUnknown> unk;
        EXPECT_EQ(Folder()->BindToObject(pidl, nullptr, IID_IShellFolder, unk.put_void()), E_INVALIDARG);
        EXPECT_EQ(Folder()->GetUIObjectOf(nullptr, 1, &pidl, IID_IExtractIconW, nullptr, unk.put_void()), E_INVALIDARG);
        SFGAOF flags = SFGAO_CANCOPY;
        EXPECT_EQ(Folder()->GetAttributesOf(1, &pidl, &flags), E_INVALIDARG);
        SHELLDETAILS details;
        EXPECT_EQ(Folder()->GetDetailsOf(pidl, 0, &details), E_INVALIDARG);
        LPITEMIDLIST out = nullptr;
        EXPECT_EQ(Folder()->SetNameOf(nullptr, pidl, L"x", 0, &out), E_INVALIDARG);
    }
}

TEST_F(RegkeyFolder, GetDetailsExGivesTheFindDataAsBytes)
{
    scratch.SetDword("dw", 7);
    UniquePidl id = ItemId(REGITEM_VALUE, "dw", 0, REG_DWORD);
    SHCOLUMNID scid = {};
    VARIANT v;
    ::VariantInit(&v);
    ASSERT_EQ(Folder()->GetDetailsEx(id.get(), &scid, &v), S_OK);
    ASSERT_EQ(v.vt, VT_ARRAY | VT_UI1);
    EXPECT_EQ(v.parray->rgsabound[0].cElements, sizeof(WIN32_FIND_DATAW));
    auto* pData = static_cast<WIN32_FIND_DATAW*>(v.parray->pvData);
    EXPECT_EQ(pData->nFileSizeLow, 4u);
    EXPECT_STREQ(pData->cFileName, L"dw");
    ::VariantClear(&v);
    scid.pid = 1;
    EXPECT_EQ(Folder()->GetDetailsEx(id.get(), &scid, &v), E_FAIL);
}

TEST_F(RegkeyFolder, DefaultColumnsAndSearchGuid)
{
    ULONG sort = 9, display = 9;
    EXPECT_EQ(Folder()->GetDefaultColumn(0, &sort, &display), S_OK);
    EXPECT_EQ(sort, 0u);
    SHCOLSTATEF state = SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT | SHCOLSTATE_SLOW;
    EXPECT_EQ(Folder()->GetDefaultColumnState(1, &state), S_OK);
    EXPECT_EQ(state, static_cast<SHCOLSTATEF>(SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT));
    EXPECT_EQ(Folder()->GetDefaultColumnState(3, &state), E_FAIL);
    EXPECT_EQ(Folder()->GetDefaultSearchGUID(nullptr), S_OK);
    EXPECT_EQ(Folder()->MapColumnToSCID(0, nullptr), E_NOTIMPL);
}
