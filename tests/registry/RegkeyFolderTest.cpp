// The key folder through its COM interfaces, as the shell calls it, on a scratch key.
#include "registry/FolderTestUtil.h"
#include "support/ScratchKey.h"

#include <oleauto.h>

using namespace corvasin;
using namespace corvasin::test;

namespace
{
constexpr DWORD kAll = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;

class RegkeyFolder : public ::testing::Test
{
protected:
    ScratchKey scratch;
};
} // namespace

TEST_F(RegkeyFolder, ListsSubkeysThenDefaultThenValues)
{
    scratch.CreateSubkey("Beta");
    scratch.CreateSubkey("alpha");
    scratch.SetString("Zulu", "z");
    scratch.SetDword("Count", 5);
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    const auto items = List(psf.get(), kAll);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(RecordOf(items[0].get()).dwKind, REGITEM_KEY);
    EXPECT_EQ(RecordOf(items[1].get()).dwKind, REGITEM_KEY);
    EXPECT_EQ(RecordOf(items[2].get()).dwKind, REGITEM_DEFAULT);
    EXPECT_STREQ(RecordOf(items[2].get()).szName, "(default)");
    EXPECT_EQ(RecordOf(items[2].get()).dwValueType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(RecordOf(items[3].get()).dwKind, REGITEM_VALUE);
    EXPECT_EQ(RecordOf(items[4].get()).dwKind, REGITEM_VALUE);
    const REGITEM count = RecordOf(items[3].get()).dwValueType == REG_DWORD ? RecordOf(items[3].get())
                                                                            : RecordOf(items[4].get());
    EXPECT_STREQ(count.szName, "Count");
}

TEST_F(RegkeyFolder, AnEmptyKeyListsOnlyDefaultAndNothingForFoldersOnly)
{
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    EXPECT_EQ(Names(List(psf.get(), kAll)), std::vector<std::string>{"(default)"});
    EXPECT_TRUE(List(psf.get(), SHCONTF_FOLDERS).empty());
}

TEST_F(RegkeyFolder, TheUnnamedValueIsListedOnceAsDefault)
{
    scratch.SetString("a", "1");
    scratch.SetString(nullptr, "unnamed");
    scratch.SetString("b", "2");
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    const auto names = Names(List(psf.get(), kAll));
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], "(default)");
    EXPECT_EQ(std::count(names.begin(), names.end(), std::string()), 0);
}

TEST_F(RegkeyFolder, ANameTooLongForTheRecordEndsTheValues)
{
    scratch.SetString("first", "1");
    scratch.SetString(std::string(210, 'v').c_str(), "long");
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    for (const auto& name : Names(List(psf.get(), kAll)))
        EXPECT_LT(name.size(), 200u);
}

TEST_F(RegkeyFolder, EnumeratorRestartsAfterTheEndAndClonesStartFresh)
{
    scratch.CreateSubkey("k1");
    scratch.CreateSubkey("k2");
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    ComPtr<IEnumIDList> e;
    ASSERT_EQ(psf->EnumObjects(nullptr, kAll, e.put()), S_OK);
    LPITEMIDLIST ids[5] = {};
    ULONG fetched = 0;
    EXPECT_EQ(e->Next(5, ids, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 3u); // two keys and "(default)"
    for (ULONG i = 0; i < fetched; ++i)
        ::ILFree(ids[i]);
    EXPECT_EQ(e->Next(1, ids, &fetched), S_OK); // starts again
    EXPECT_STREQ(RecordOf(ids[0]).szName, "k1");
    ::ILFree(ids[0]);

    ComPtr<IEnumIDList> clone;
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    ASSERT_EQ(clone->Next(1, ids, nullptr), S_OK);
    EXPECT_STREQ(RecordOf(ids[0]).szName, "k1");
    ::ILFree(ids[0]);

    EXPECT_EQ(e->Skip(1), S_OK);
    ASSERT_EQ(e->Next(1, ids, nullptr), S_OK);
    EXPECT_STREQ(RecordOf(ids[0]).szName, "(default)");
    ::ILFree(ids[0]);
    EXPECT_EQ(e->Reset(), S_OK);
    ASSERT_EQ(e->Next(1, ids, nullptr), S_OK);
    EXPECT_STREQ(RecordOf(ids[0]).szName, "k1");
    ::ILFree(ids[0]);

    ComPtr<IUnknown> security;
    EXPECT_EQ(e->QueryInterface(IID_IInternetSecurityManager, security.put_void()), S_OK);
    ComPtr<IUnknown> none;
    EXPECT_EQ(e->QueryInterface(IID_IShellFolder, none.put_void()), E_NOINTERFACE);
}

TEST_F(RegkeyFolder, AnEmptyFolderEnumeratesNothing)
{
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    ComPtr<IEnumIDList> e;
    ASSERT_EQ(psf->EnumObjects(nullptr, SHCONTF_FOLDERS, e.put()), S_OK);
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
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    EXPECT_EQ(Details(psf.get(), nullptr, 0), "Name");
    EXPECT_EQ(Details(psf.get(), nullptr, 1), "Value");
    EXPECT_EQ(Details(psf.get(), nullptr, 2), "Type");
    EXPECT_EQ(Details(psf.get(), nullptr, 3), "<E_FAIL>");

    UniquePidl dw = ItemId(REGITEM_VALUE, "dw", 0, REG_DWORD);
    EXPECT_EQ(Details(psf.get(), dw.get(), 0), "dw");
    EXPECT_EQ(Details(psf.get(), dw.get(), 1), "0xFFFFFFFF (-1)");
    EXPECT_EQ(Details(psf.get(), dw.get(), 2), "REG_DWORD");
    EXPECT_EQ(Details(psf.get(), dw.get(), 4), "4 bytes");
    UniquePidl path = ItemId(REGITEM_VALUE, "path", 0, REG_EXPAND_SZ);
    EXPECT_EQ(Details(psf.get(), path.get(), 1), "\"%SystemRoot%\\x\"");
    UniquePidl bin = ItemId(REGITEM_VALUE, "bin", 0, REG_BINARY);
    EXPECT_EQ(Details(psf.get(), bin.get(), 1), "01 AB FF");

    UniquePidl sub = ItemId(REGITEM_KEY, "Sub");
    EXPECT_EQ(Details(psf.get(), sub.get(), 1), "<E_FAIL>");
    EXPECT_EQ(Details(psf.get(), sub.get(), 2), "<E_FAIL>");
    EXPECT_NE(Details(psf.get(), sub.get(), 5), "<E_FAIL>"); // last write time
    EXPECT_EQ(Details(psf.get(), sub.get(), -1), "<E_FAIL>"); // no info tip in a key folder

    // The default item of a key without an unnamed value reads REG_SZ and no value.
    UniquePidl deflt = ItemId(REGITEM_DEFAULT, "(default)", 0, REG_SZ);
    EXPECT_EQ(Details(psf.get(), deflt.get(), 2), "REG_SZ");
    EXPECT_EQ(Details(psf.get(), deflt.get(), 1), "<E_FAIL>");
}

TEST_F(RegkeyFolder, AKeyWithoutValuesShowsOnlyTheNameColumn)
{
    scratch.CreateSubkey("Sub");
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    EXPECT_EQ(Details(psf.get(), nullptr, 0), "Name");
    EXPECT_EQ(Details(psf.get(), nullptr, 1), "<E_FAIL>");
}

TEST_F(RegkeyFolder, LongTextsAreCutTo259Characters)
{
    scratch.SetString("long", std::string(300, 'x'));
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    UniquePidl id = ItemId(REGITEM_VALUE, "long", 0, REG_SZ);
    EXPECT_EQ(Details(psf.get(), id.get(), 1).size(), 259u);
}

TEST_F(RegkeyFolder, AttributesFollowTheItemKind)
{
    scratch.CreateSubkey("Parent\\Child");
    scratch.CreateSubkey("Leaf");
    scratch.SetString("v", "x");
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    auto attributes = [&](LPCITEMIDLIST pidl) {
        SFGAOF flags = 0xFFFFFFFF;
        EXPECT_EQ(psf->GetAttributesOf(pidl ? 1 : 0, pidl ? &pidl : nullptr, &flags), S_OK);
        return flags;
    };
    UniquePidl parent = ItemId(REGITEM_KEY, "Parent");
    UniquePidl leaf = ItemId(REGITEM_KEY, "Leaf");
    UniquePidl missing = ItemId(REGITEM_KEY, "Missing");
    UniquePidl value = ItemId(REGITEM_VALUE, "v", 0, REG_SZ);
    EXPECT_EQ(attributes(parent.get()), 0xA8000123u); // no rename for a key with subkeys
    EXPECT_EQ(attributes(leaf.get()), 0x28000133u);
    EXPECT_EQ(attributes(missing.get()), 0x28000123u);
    EXPECT_EQ(attributes(value.get()), 0x33u);
    EXPECT_EQ(attributes(nullptr), 0xA8000133u);

    // Asking only for file-system bits answers 0 without looking at the items.
    SFGAOF fs = SFGAO_FILESYSTEM;
    LPCITEMIDLIST p = value.get();
    EXPECT_EQ(psf->GetAttributesOf(1, &p, &fs), S_OK);
    EXPECT_EQ(fs, 0u);

    // With several items only the first one is asked.
    LPCITEMIDLIST two[] = {value.get(), parent.get()};
    SFGAOF flags = SFGAO_CANCOPY;
    EXPECT_EQ(psf->GetAttributesOf(2, two, &flags), S_OK);
    EXPECT_EQ(flags, 0x33u);
}

TEST_F(RegkeyFolder, IconsByKindAndType)
{
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    auto icon = [&](DWORD kind, DWORD type, UINT flags) {
        UniquePidl id = ItemId(kind, "x", 0, type);
        LPCITEMIDLIST p = id.get();
        ComPtr<IExtractIconW> extract;
        EXPECT_EQ(psf->GetUIObjectOf(nullptr, 1, &p, IID_IExtractIconW, nullptr, extract.put_void()),
                  S_OK);
        WCHAR file[MAX_PATH] = {};
        int index = -1;
        UINT outFlags = 0xFF;
        EXPECT_EQ(extract->GetIconLocation(flags, file, MAX_PATH, &index, &outFlags), S_OK);
        EXPECT_EQ(outFlags, 0u);
        // The module holding the folder code (this test program here, the DLL in the shell).
        WCHAR module[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, module, MAX_PATH);
        EXPECT_STREQ(file, module);
        HICON large = nullptr, small = nullptr;
        EXPECT_EQ(extract->Extract(file, index, &large, &small, 0), S_FALSE);
        return index;
    };
    EXPECT_EQ(icon(REGITEM_KEY, 0, 0), 1);
    EXPECT_EQ(icon(REGITEM_KEY, 0, GIL_OPENICON), 2);
    EXPECT_EQ(icon(REGITEM_VALUE, REG_NONE, 0), 4);
    EXPECT_EQ(icon(REGITEM_VALUE, REG_EXPAND_SZ, 0), 3);
    EXPECT_EQ(icon(REGITEM_VALUE, REG_DWORD, 0), 4);
    EXPECT_EQ(icon(REGITEM_DEFAULT, REG_SZ, 0), 3);

    ComPtr<IExtractIconA> ansi;
    UniquePidl id = ItemId(REGITEM_KEY, "x");
    LPCITEMIDLIST p = id.get();
    EXPECT_EQ(psf->GetUIObjectOf(nullptr, 1, &p, IID_IExtractIconA, nullptr, ansi.put_void()), S_OK);
    ComPtr<IExtractIconW> none;
    EXPECT_EQ(psf->GetUIObjectOf(nullptr, 0, nullptr, IID_IExtractIconW, nullptr, none.put_void()), S_OK);
    EXPECT_FALSE(none);
}

TEST_F(RegkeyFolder, SubFoldersAreSharedWhileAliveAndGetTheirPath)
{
    scratch.CreateSubkey("Software");
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    CNameSpaceExtension* pFolder = FolderObject(psf.get());
    const REGITEM item = MakeRegItem(REGITEM_KEY, 0, "Software");
    const CmdTargetPtr<CNameSpaceExtension> first = pFolder->GetSubFolder(&item);
    const CmdTargetPtr<CNameSpaceExtension> second = pFolder->GetSubFolder(&item);
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), second.get());
    auto* key = static_cast<CRegkeyExtension*>(first.get());
    EXPECT_EQ(key->GetKeyPath(), scratch.path() + "\\Software");
    EXPECT_NE(key->GetOpenKey(), nullptr);
    EXPECT_EQ(CountItemIds(first->GetPidl()), CountItemIds(pFolder->GetPidl()) + 1);
    const REGITEM value = MakeRegItem(REGITEM_VALUE, 0, "v", REG_SZ);
    EXPECT_FALSE(pFolder->GetSubFolder(&value));
}

TEST_F(RegkeyFolder, BindToObjectWalksSeveralLevels)
{
    scratch.CreateSubkey("A\\B");
    scratch.SetString("A\\B", "x");
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    UniquePidl a = ItemId(REGITEM_KEY, "A");
    UniquePidl b = ItemId(REGITEM_KEY, "B");
    UniquePidl ab = Combine(a.get(), b.get());
    ComPtr<IShellFolder> sub;
    ASSERT_EQ(psf->BindToObject(ab.get(), nullptr, IID_IShellFolder, sub.put_void()), S_OK);
    ComPtr<IRegFolder> reg;
    ASSERT_EQ(sub.As(reg), S_OK);
    BSTR path = nullptr;
    ASSERT_EQ(reg->GetPath(&path), S_OK);
    UniqueBstr owned(path);
    EXPECT_EQ(WideToAnsi(path), scratch.path() + "\\A\\B");
    HKEY hKey = nullptr;
    EXPECT_EQ(reg->GetKey(&hKey), S_OK);
    EXPECT_NE(hKey, nullptr);

    ComPtr<IPersistFolder2> persist;
    ASSERT_EQ(sub.As(persist), S_OK);
    LPITEMIDLIST cur = nullptr;
    ASSERT_EQ(persist->GetCurFolder(&cur), S_OK);
    UniquePidl curOwned(cur);
    EXPECT_STREQ(RecordOf(LastItemId(cur)).szName, "B");

    UniquePidl value = ItemId(REGITEM_VALUE, "v", 0, REG_SZ);
    ComPtr<IShellFolder> none;
    EXPECT_EQ(psf->BindToObject(value.get(), nullptr, IID_IShellFolder, none.put_void()), E_FAIL);
    EXPECT_EQ(psf->BindToObject(a.get(), nullptr, IID_IEnumIDList, none.put_void()), E_NOINTERFACE);
}

TEST_F(RegkeyFolder, CompareIdsOrdersByDepthThenKindThenName)
{
    scratch.CreateSubkey("A");
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    UniquePidl a = ItemId(REGITEM_KEY, "A");
    UniquePidl zeta = ItemId(REGITEM_KEY, "Zeta");
    UniquePidl alpha = ItemId(REGITEM_VALUE, "Alpha", 0, REG_SZ);
    UniquePidl alphaUpper = ItemId(REGITEM_VALUE, "ALPHA", 0, REG_SZ);
    UniquePidl x = ItemId(REGITEM_VALUE, "x", 0, REG_SZ);
    UniquePidl y = ItemId(REGITEM_VALUE, "y", 0, REG_SZ);
    UniquePidl ax = Combine(a.get(), x.get());
    UniquePidl ay = Combine(a.get(), y.get());

    auto low16 = [](HRESULT hr) { return static_cast<short>(HRESULT_CODE(hr)); };
    EXPECT_LT(low16(psf->CompareIDs(0, zeta.get(), alpha.get())), 0);
    EXPECT_EQ(psf->CompareIDs(2, alpha.get(), alphaUpper.get()), 0);
    // Depth first, whatever the items. "Sorts first" is a success code too: a caller that
    // tests SUCCEEDED before reading the low 16 bits must not take it for a failure.
    const HRESULT hrShorterFirst = psf->CompareIDs(0, zeta.get(), ax.get());
    EXPECT_TRUE(SUCCEEDED(hrShorterFirst));
    EXPECT_EQ(low16(hrShorterFirst), -1);
    EXPECT_EQ(hrShorterFirst, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0xFFFF));
    EXPECT_EQ(psf->CompareIDs(0, ax.get(), zeta.get()), 1);
    EXPECT_TRUE(SUCCEEDED(psf->CompareIDs(0, zeta.get(), alpha.get())));
    // Same depth: the sub-folder compares the rest.
    EXPECT_LT(low16(psf->CompareIDs(0, ax.get(), ay.get())), 0);
    EXPECT_EQ(psf->CompareIDs(0, ax.get(), ax.get()), 0);
}

TEST_F(RegkeyFolder, DisplayNamesOfSeveralLevels)
{
    scratch.CreateSubkey("A");
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    UniquePidl a = ItemId(REGITEM_KEY, "A");
    UniquePidl v = ItemId(REGITEM_VALUE, "Val", 0, REG_SZ);
    UniquePidl av = Combine(a.get(), v.get());
    EXPECT_EQ(DisplayName(psf.get(), a.get(), SHGDN_NORMAL), "A");
    EXPECT_EQ(DisplayName(psf.get(), av.get(), SHGDN_NORMAL), "A\\Val");
    EXPECT_EQ(DisplayName(psf.get(), av.get(), SHGDN_FORPARSING), "A\\Val");
}

TEST_F(RegkeyFolder, DelegateWrappedIdsGetTheUrlPrefixForParsing)
{
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    const REGITEM item = MakeRegItem(REGITEM_KEY, 0, "Wrapped");
    BYTE wrapped[6 + sizeof(REGITEM) + 2] = {};
    wrapped[0] = static_cast<BYTE>((6 + sizeof(REGITEM)) & 0xFF);
    wrapped[1] = static_cast<BYTE>((6 + sizeof(REGITEM)) >> 8);
    wrapped[2] = 0x61;
    wrapped[3] = 0x03;
    wrapped[4] = sizeof(REGITEM);
    memcpy(wrapped + 6, &item, sizeof(item));
    auto pidl = reinterpret_cast<LPCITEMIDLIST>(wrapped);
    EXPECT_EQ(DisplayName(psf.get(), pidl, SHGDN_FORPARSING), "reg://Wrapped");
    EXPECT_EQ(DisplayName(psf.get(), pidl, SHGDN_NORMAL), "Wrapped");
    LPITEMIDLIST out = reinterpret_cast<LPITEMIDLIST>(1);
    EXPECT_EQ(psf->SetNameOf(nullptr, pidl, L"x", 0, &out), E_INVALIDARG);
    EXPECT_EQ(out, nullptr);
}

TEST_F(RegkeyFolder, MalformedIdsFailWithoutReadingPastThem)
{
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    BYTE shortId[8] = {6, 0, 'C', 'O', 'R', 'V', 0, 0};
    BYTE foreignId[220] = {218 & 0xFF, 0, 'N', 'O', 'P', 'E'};
    for (BYTE* bytes : {shortId, foreignId})
    {
        auto pidl = reinterpret_cast<LPCITEMIDLIST>(bytes);
        STRRET str;
        EXPECT_EQ(psf->GetDisplayNameOf(pidl, 0, &str), E_INVALIDARG);
        ComPtr<IShellFolder> sub;
        EXPECT_EQ(psf->BindToObject(pidl, nullptr, IID_IShellFolder, sub.put_void()), E_INVALIDARG);
        ComPtr<IUnknown> ui;
        EXPECT_EQ(psf->GetUIObjectOf(nullptr, 1, &pidl, IID_IExtractIconW, nullptr, ui.put_void()),
                  E_INVALIDARG);
        SFGAOF flags = SFGAO_CANCOPY;
        EXPECT_EQ(psf->GetAttributesOf(1, &pidl, &flags), E_INVALIDARG);
        SHELLDETAILS details;
        EXPECT_EQ(psf->GetDetailsOf(pidl, 0, &details), E_INVALIDARG);
        LPITEMIDLIST out = nullptr;
        EXPECT_EQ(psf->SetNameOf(nullptr, pidl, L"x", 0, &out), E_INVALIDARG);
    }
}

TEST_F(RegkeyFolder, GetDetailsExGivesTheFindDataAsBytes)
{
    scratch.SetDword("dw", 7);
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    UniquePidl id = ItemId(REGITEM_VALUE, "dw", 0, REG_DWORD);
    SHCOLUMNID scid = {};
    VARIANT v;
    ::VariantInit(&v);
    ASSERT_EQ(psf->GetDetailsEx(id.get(), &scid, &v), S_OK);
    ASSERT_EQ(v.vt, VT_ARRAY | VT_UI1);
    EXPECT_EQ(v.parray->rgsabound[0].cElements, sizeof(WIN32_FIND_DATAW));
    auto* pData = static_cast<WIN32_FIND_DATAW*>(v.parray->pvData);
    EXPECT_EQ(pData->nFileSizeLow, 4u);
    EXPECT_STREQ(pData->cFileName, L"dw");
    ::VariantClear(&v);
    scid.pid = 1;
    EXPECT_EQ(psf->GetDetailsEx(id.get(), &scid, &v), E_FAIL);
}

TEST_F(RegkeyFolder, DefaultColumnsAndSearchGuid)
{
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    ULONG sort = 9, display = 9;
    EXPECT_EQ(psf->GetDefaultColumn(0, &sort, &display), S_OK);
    EXPECT_EQ(sort, 0u);
    SHCOLSTATEF state = SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT | SHCOLSTATE_SLOW;
    EXPECT_EQ(psf->GetDefaultColumnState(1, &state), S_OK);
    EXPECT_EQ(state, static_cast<SHCOLSTATEF>(SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT));
    EXPECT_EQ(psf->GetDefaultColumnState(3, &state), E_FAIL);
    EXPECT_EQ(psf->GetDefaultSearchGUID(nullptr), S_OK);
    EXPECT_EQ(psf->MapColumnToSCID(0, nullptr), E_NOTIMPL);
}
