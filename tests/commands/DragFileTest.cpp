// The .reg file that dragged or copied registry items become: the formats the UI object offers
// and their order, what each hands out (byte for byte the Export command's file), the one render
// per data object and the removal of stale drag folders. What the system's own folders do with
// them is tests/shell's.
#include "commands/DragFile.h"

#include "commands/RegistryCommandFixture.h"
#include "core/Strings.h"
#include "framework/ShellFormats.h"
#include "registry/ExportFile.h"
#include "registry/MemoryByteSink.h"

namespace corvasin::test
{
namespace
{

std::string FileBytes(const std::wstring& path)
{
    std::string bytes;
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
    {
        (void)file.release();
        return "<no file>";
    }
    char buffer[4096];
    DWORD cb = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &cb, nullptr) && cb > 0)
        bytes.append(buffer, cb);
    return bytes;
}

std::string StreamBytes(IStream* pStream)
{
    std::string bytes;
    char buffer[4096];
    ULONG cb = 0;
    while (SUCCEEDED(pStream->Read(buffer, sizeof(buffer), &cb)) && cb > 0)
        bytes.append(buffer, cb);
    return bytes;
}

// What a data object hands out for a format in the media asked for; the medium is released.
struct Got
{
    HRESULT hr = E_FAIL;
    DWORD tymed = TYMED_NULL;
    std::string bytes; // the block's bytes or the stream's
};
Got GetFormat(IDataObject* pData, CLIPFORMAT cf, DWORD tymed = TYMED_HGLOBAL, LONG lindex = -1)
{
    FORMATETC fe = {cf, nullptr, DVASPECT_CONTENT, lindex, tymed};
    STGMEDIUM medium = {};
    Got got;
    got.hr = pData->GetData(&fe, &medium);
    if (FAILED(got.hr))
        return got;
    got.tymed = medium.tymed;
    if (medium.tymed == TYMED_ISTREAM)
        got.bytes = StreamBytes(medium.pstm);
    else if (medium.tymed == TYMED_HGLOBAL)
    {
        GlobalLock lock(medium.hGlobal);
        got.bytes.assign(lock.as<char>(), ::GlobalSize(medium.hGlobal));
    }
    ::ReleaseStgMedium(&medium);
    return got;
}

// The one path a CF_HDROP block names.
std::wstring DroppedPath(const std::string& block)
{
    if (block.size() < sizeof(DROPFILES))
        return {};
    DROPFILES drop;
    memcpy(&drop, block.data(), sizeof(drop));
    if (!drop.fWide || drop.pFiles > block.size())
        return {};
    const auto* psz = reinterpret_cast<const wchar_t*>(block.data() + drop.pFiles);
    return psz;
}

std::wstring DragRoot()
{
    wchar_t szTemp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, szTemp);
    return std::wstring(szTemp) + L"Corvasin\\";
}

std::string FormatName(CLIPFORMAT cf)
{
    if (cf == CF_HDROP)
        return "CF_HDROP";
    char szName[128] = "";
    return ::GetClipboardFormatNameA(cf, szName, sizeof(szName)) ? szName : std::to_string(cf);
}

class DragFile : public RegistryCommands
{
protected:
    DragFile()
    {
        key.SetString("Greeting", "hello \"world\"");
        key.SetDword("Count", 7);
        key.SetString("", "default text");
        key.CreateSubkey("Child\\Grandchild");
    }

    // What Export writes for the same selection, normal type.
    std::string Expected(const std::vector<LPCITEMIDLIST>& items)
    {
        CMemoryByteSink sink;
        EXPECT_TRUE(WriteExportFile(*Folder(), static_cast<UINT>(items.size()),
                                    const_cast<LPCITEMIDLIST*>(items.data()), false, sink));
        return sink.Bytes();
    }

    std::string KeyName() const { return key.path().substr(key.path().rfind('\\') + 1); }

    UniquePidl child = ItemId(REGITEM_KEY, "Child");
    UniquePidl greeting = ItemId(REGITEM_VALUE, "Greeting", 0, REG_SZ);
    UniquePidl count = ItemId(REGITEM_VALUE, "Count", 0, REG_DWORD);
    UniquePidl deflt = ItemId(REGITEM_DEFAULT, kDefaultItemName, 0, REG_SZ);
};

TEST_F(DragFile, TheRegistryFormatStaysFirstAndTheFileFormatsFollowTheItemIdArray)
{
    ComPtr<IDataObject> data = UIObjectOf<IDataObject>(folder.get(), {greeting.get()});
    ComPtr<IEnumFORMATETC> formats;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.put()), S_OK);
    std::vector<std::tuple<std::string, DWORD, LONG>> offered;
    FORMATETC fe = {};
    while (formats->Next(1, &fe, nullptr) == S_OK)
        offered.emplace_back(FormatName(fe.cfFormat), fe.tymed, fe.lindex);
    const std::vector<std::tuple<std::string, DWORD, LONG>> expected = {
        {"CORVASIN_CLIPFORMAT_REGKEY", TYMED_HGLOBAL, -1},
        {"Shell IDList Array", TYMED_HGLOBAL, -1},
        {"FileGroupDescriptorW", TYMED_HGLOBAL, -1},
        {"FileContents", TYMED_ISTREAM | TYMED_HGLOBAL, 0},
        {"CF_HDROP", TYMED_HGLOBAL, -1},
    };
    EXPECT_EQ(offered, expected);

    const struct
    {
        CLIPFORMAT cf;
        DWORD tymed;
        LONG lindex;
        HRESULT hr;
    } c_queries[] = {
        {FileDescriptorFormat(), TYMED_HGLOBAL, -1, S_OK},
        {FileDescriptorFormat(), TYMED_ISTREAM, -1, DV_E_TYMED},
        {FileContentsFormat(), TYMED_ISTREAM, 0, S_OK},
        {FileContentsFormat(), TYMED_HGLOBAL | TYMED_ISTREAM | TYMED_ISTORAGE, 0, S_OK},
        {FileContentsFormat(), TYMED_ISTORAGE, 0, DV_E_TYMED},
        {FileContentsFormat(), TYMED_HGLOBAL, 1, DV_E_LINDEX},
        {CF_HDROP, TYMED_HGLOBAL, -1, S_OK},
    };
    for (const auto& query : c_queries)
    {
        FORMATETC q = {query.cf, nullptr, DVASPECT_CONTENT, query.lindex, query.tymed};
        EXPECT_EQ(data->QueryGetData(&q), query.hr) << FormatName(query.cf) << " " << query.tymed;
    }
    // A global block asked to be filled in place is no medium these formats come in.
    STGMEDIUM here = {TYMED_HGLOBAL};
    here.hGlobal = ::GlobalAlloc(GMEM_MOVEABLE, 4096);
    FORMATETC q = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(data->GetDataHere(&q, &here), DV_E_TYMED);
    ::ReleaseStgMedium(&here);

    // The namespace's own icon has no items: no file.
    ComPtr<IDataObject> icon = UIObjectOf<IDataObject>(folder.get(), {});
    FORMATETC qIcon = {FileDescriptorFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(icon->QueryGetData(&qIcon), DV_E_FORMATETC);
}

TEST_F(DragFile, EveryFormatHandsOutTheExportOfTheSelection)
{
    const struct
    {
        std::vector<LPCITEMIDLIST> items;
        std::wstring name;
    } c_rows[] = {
        {{child.get()}, L"Child.reg"},
        {{greeting.get()}, L"Greeting.reg"},
        {{deflt.get()}, L"(default).reg"},
        {{greeting.get(), count.get(), child.get()}, AnsiToWide(KeyName().c_str()) + L".reg"},
    };
    for (const auto& row : c_rows)
    {
        SCOPED_TRACE(WideToAnsi(row.name.c_str()));
        const std::string expected = Expected(row.items);
        ASSERT_GT(expected.size(), 10u);
        ComPtr<IDataObject> data = UIObjectOf<IDataObject>(folder.get(), row.items);

        const Got descriptor = GetFormat(data.get(), FileDescriptorFormat());
        ASSERT_EQ(descriptor.hr, S_OK);
        ASSERT_EQ(descriptor.bytes.size(), sizeof(FILEGROUPDESCRIPTORW));
        FILEGROUPDESCRIPTORW group;
        memcpy(&group, descriptor.bytes.data(), sizeof(group));
        EXPECT_EQ(group.cItems, 1u);
        const FILEDESCRIPTORW& fd = group.fgd[0];
        EXPECT_EQ(fd.dwFlags & (FD_FILESIZE | FD_ATTRIBUTES | FD_UNICODE), DWORD(FD_FILESIZE | FD_ATTRIBUTES | FD_UNICODE));
        EXPECT_EQ(std::wstring(fd.cFileName), row.name);
        EXPECT_EQ(fd.nFileSizeLow, expected.size());
        EXPECT_EQ(fd.nFileSizeHigh, 0u);

        const Got stream = GetFormat(data.get(), FileContentsFormat(), TYMED_ISTREAM | TYMED_HGLOBAL, 0);
        EXPECT_EQ(std::tuple(stream.hr, stream.tymed), std::tuple(S_OK, DWORD{TYMED_ISTREAM}));
        EXPECT_EQ(stream.bytes, expected);
        const Got block = GetFormat(data.get(), FileContentsFormat(), TYMED_HGLOBAL, 0);
        EXPECT_EQ(std::tuple(block.hr, block.tymed), std::tuple(S_OK, DWORD{TYMED_HGLOBAL}));
        EXPECT_EQ(block.bytes, expected);

        const Got drop = GetFormat(data.get(), CF_HDROP);
        ASSERT_EQ(drop.hr, S_OK);
        const std::wstring path = DroppedPath(drop.bytes);
        EXPECT_EQ(path.substr(0, DragRoot().size() + 5), DragRoot() + L"drag-");
        EXPECT_EQ(path.substr(path.rfind(L'\\') + 1), row.name);
        EXPECT_EQ(FileBytes(path), expected);
    }
}

TEST_F(DragFile, ADataObjectRendersItsFileOnceAndNamesItAsItsItemSaysInUnicode)
{
    const std::wstring name = L"caf\u00e9\u2605";
    UniqueHkey hKey;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, AnsiToWide(key.path().c_str()).c_str(), 0, KEY_SET_VALUE, hKey.put()), ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(hKey.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L"1"), 4), ERROR_SUCCESS);
    UniquePidl star;
    for (UniquePidl& item : List(folder.get(), SHCONTF_NONFOLDERS))
    {
        if (IsLossyItem(RecordOf(item.get())))
            star = std::move(item);
    }
    ASSERT_TRUE(star);

    ComPtr<IDataObject> data = UIObjectOf<IDataObject>(folder.get(), {star.get()});
    const std::string expected = Expected({star.get()});
    EXPECT_EQ(expected.substr(0, 2), "\xFF\xFE"); // the Unicode form, as Export writes it
    const std::wstring path = DroppedPath(GetFormat(data.get(), CF_HDROP).bytes);
    EXPECT_EQ(path.substr(path.rfind(L'\\') + 1), name + L".reg");

    // What the registry holds later does not reach a file already made.
    ASSERT_EQ(::RegSetValueExW(hKey.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L"2"), 4), ERROR_SUCCESS);
    EXPECT_EQ(GetFormat(data.get(), FileContentsFormat(), TYMED_ISTREAM, 0).bytes, expected);
    EXPECT_EQ(DroppedPath(GetFormat(data.get(), CF_HDROP).bytes), path);

    ComPtr<IDataObject> later = UIObjectOf<IDataObject>(folder.get(), {star.get()});
    const std::wstring laterPath = DroppedPath(GetFormat(later.get(), CF_HDROP).bytes);
    EXPECT_NE(laterPath, path);
    EXPECT_EQ(FileBytes(laterPath), Expected({star.get()}));
    EXPECT_NE(FileBytes(laterPath), expected);
}

TEST_F(DragFile, StaleDragFoldersGoAndNothingElseDoes)
{
    const std::wstring root = DragRoot();
    ::CreateDirectoryW(root.c_str(), nullptr);
    // Two hours old: a drag folder with only its file, one holding something else too, and a
    // folder not named as ours. A fresh drag folder stays.
    const std::wstring oldOwn = root + L"drag-test-old\\", oldMixed = root + L"drag-test-mixed\\",
                       oldOther = root + L"other-test-old\\", fresh = root + L"drag-test-fresh\\";
    for (const std::wstring& dir : {oldOwn, oldMixed, oldOther, fresh})
    {
        ::CreateDirectoryW(dir.c_str(), nullptr);
        UniqueHandle(::CreateFileW((dir + L"x.reg").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    UniqueHandle(::CreateFileW((oldMixed + L"keep.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    FILETIME ft;
    ::GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    t.QuadPart -= 2ull * 3600 * 10'000'000;
    ft.dwLowDateTime = t.LowPart;
    ft.dwHighDateTime = t.HighPart;
    for (const std::wstring& dir : {oldOwn, oldMixed, oldOther})
    {
        UniqueHandle hDir(::CreateFileW(dir.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ASSERT_TRUE(::SetFileTime(hDir.get(), &ft, nullptr, &ft));
    }

    ComPtr<IDataObject> data = UIObjectOf<IDataObject>(folder.get(), {count.get()});
    ASSERT_EQ(GetFormat(data.get(), CF_HDROP).hr, S_OK);

    const auto exists = [](const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    EXPECT_FALSE(exists(oldOwn));
    EXPECT_FALSE(exists(oldMixed + L"x.reg"));
    EXPECT_TRUE(exists(oldMixed + L"keep.txt"));
    EXPECT_TRUE(exists(oldOther + L"x.reg"));
    EXPECT_TRUE(exists(fresh + L"x.reg"));
    for (const std::wstring& file : {oldMixed + L"keep.txt", oldOther + L"x.reg", fresh + L"x.reg"})
        ::DeleteFileW(file.c_str());
    for (const std::wstring& dir : {oldMixed, oldOther, fresh})
        ::RemoveDirectoryW(dir.c_str());
}

} // namespace
} // namespace corvasin::test
