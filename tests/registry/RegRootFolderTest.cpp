// The registry root: six predefined keys, their info tips, and location text parsing.
#include "registry/FolderTestUtil.h"

#include "registry/PredefinedKeys.h"

using namespace corvasin;
using namespace corvasin::test;

namespace
{
std::vector<std::string> ParseNames(IShellFolder* psf, const wchar_t* text, HRESULT* phr = nullptr)
{
    UniquePidl pidl;
    ULONG eaten = 0;
    ULONG attributes = SFGAO_FOLDER;
    std::wstring copy(text);
    const HRESULT hr = psf->ParseDisplayName(nullptr, nullptr, copy.data(), &eaten, pidl.put(), &attributes);
    if (phr)
        *phr = hr;
    EXPECT_EQ(copy, text); // the text is not modified
    if (FAILED(hr))
        EXPECT_EQ(pidl.get(), nullptr);
    else
        EXPECT_EQ(attributes, kAnyKeyAttributes);
    return FAILED(hr) ? std::vector<std::string>{} : NamesAlong(pidl.get());
}
using Names_t = std::vector<std::string>;

class RegRootFolder : public ::testing::Test
{
protected:
    ComPtr<IShellFolder2> psf = RootFolder();
};
} // namespace

TEST_F(RegRootFolder, ListsSixPredefinedKeysWhateverTheFlags)
{
    const Names_t expected = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT",
                              "HKEY_USERS", "HKEY_CURRENT_CONFIG",
                              IsWindowsNtPlatform() ? "HKEY_PERFORMANCE_DATA" : "HKEY_DYN_DATA"};
    EXPECT_EQ(Names(List(psf.get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS)), expected);
    EXPECT_EQ(Names(List(psf.get(), 0)), expected);
    const auto items = List(psf.get(), SHCONTF_FOLDERS);
    EXPECT_EQ(RecordOf(items[0].get()).dwIndex, 0x80000002u);
    EXPECT_EQ(RecordOf(items[1].get()).dwIndex, 0x80000001u);
}

TEST_F(RegRootFolder, InfoTipsAreTheDescriptions)
{
    UniquePidl hklm = ItemId(REGITEM_KEY, "HKEY_LOCAL_MACHINE", 0x80000002);
    UniquePidl dyn = ItemId(REGITEM_KEY, "HKEY_DYN_DATA", 0x80000006);
    EXPECT_EQ(Details(psf.get(), hklm.get(), static_cast<UINT>(-1)),
              "HKEY_LOCAL_MACHINE contains all global settings for your computer.");
    EXPECT_EQ(Details(psf.get(), dyn.get(), static_cast<UINT>(-1)), "<E_FAIL>");
    EXPECT_EQ(Details(psf.get(), hklm.get(), 0), "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(Details(psf.get(), hklm.get(), 1), "<E_FAIL>");
    // Only the Name column: a root without a key has no values to count.
    EXPECT_EQ(Details(psf.get(), nullptr, 0), "Name");
    EXPECT_EQ(Details(psf.get(), nullptr, 1), "<E_FAIL>");
    CNameSpaceExtension* pFolder = FolderObject(psf.get());
    EXPECT_EQ(pFolder->GetColumnText(nullptr, -1).rfind("The registry contains all", 0), 0u);
    EXPECT_EQ(pFolder->GetItemName(nullptr, 0), "Registry");
}

TEST_F(RegRootFolder, PredefinedKeysOpenAsTheirOwnHandles)
{
    UniquePidl hkcu = ItemId(REGITEM_KEY, "HKEY_CURRENT_USER", 0x80000001);
    ComPtr<IShellFolder> sub;
    ASSERT_EQ(psf->BindToObject(hkcu.get(), nullptr, IID_IShellFolder, sub.put_void()), S_OK);
    ComPtr<IRegFolder> reg;
    ASSERT_EQ(sub.As(reg), S_OK);
    HKEY hKey = nullptr;
    reg->GetKey(&hKey);
    EXPECT_EQ(hKey, HKEY_CURRENT_USER);
    sub.reset();
    reg.reset();
    // The predefined key stays usable after its folder is gone.
    DWORD cSubkeys = 0;
    EXPECT_EQ(::RegQueryInfoKeyA(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, &cSubkeys, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
}

TEST_F(RegRootFolder, IconsOfTheRootAndItsKeysAndNoDeletes)
{
    CNameSpaceExtension* pFolder = FolderObject(psf.get());
    UINT flags = 0;
    EXPECT_EQ(pFolder->GetIconIndex(nullptr, 0, &flags), 0);
    const REGITEM item = MakeRegItem(REGITEM_KEY, 0x80000002, "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(pFolder->GetIconIndex(&item, GIL_OPENICON, &flags), 2);
    EXPECT_FALSE(static_cast<CRegkeyExtension*>(pFolder)->DeleteItems(0, nullptr));
}

TEST_F(RegRootFolder, ParsesLongAndShortNamesWithEitherSeparator)
{
    const Names_t classes = {"HKEY_LOCAL_MACHINE", "SOFTWARE", "Classes"};
    EXPECT_EQ(ParseNames(psf.get(), L"reg://HKLM\\SOFTWARE\\Classes"), classes);
    EXPECT_EQ(ParseNames(psf.get(), L"HKEY_LOCAL_MACHINE/SOFTWARE/Classes"), classes);
    EXPECT_EQ(ParseNames(psf.get(), L"REG://hkcu"), Names_t{"HKEY_CURRENT_USER"});
    EXPECT_EQ(ParseNames(psf.get(), L"reg:HKCR"), Names_t{"HKEY_CLASSES_ROOT"});
    EXPECT_EQ(ParseNames(psf.get(), L"HKLM\\My%20Key"), (Names_t{"HKEY_LOCAL_MACHINE", "My Key"}));
    EXPECT_EQ(ParseNames(psf.get(), L"HKLM\\A%20%20B"), (Names_t{"HKEY_LOCAL_MACHINE", "A  B"}));
    EXPECT_EQ(ParseNames(psf.get(), L"HKLM\\Name:x"), (Names_t{"HKEY_LOCAL_MACHINE", "Name"}));
    // Keys that do not exist still parse: nothing is looked up.
    EXPECT_EQ(ParseNames(psf.get(), L"HKCU\\No\\Such"), (Names_t{"HKEY_CURRENT_USER", "No", "Such"}));
}

TEST_F(RegRootFolder, RejectsTextsThatNameNoPredefinedKey)
{
    const std::wstring tooLong = L"HKLM" + std::wstring(300, L'M');
    for (const wchar_t* text : {L"REG:hkcu", L"HKU", L"", L"HKEY_NOTHING\\x", L"\\HKLM", tooLong.c_str()})
    {
        HRESULT hr = S_OK;
        EXPECT_TRUE(ParseNames(psf.get(), text, &hr).empty());
        EXPECT_EQ(hr, E_INVALIDARG) << WideToAnsi(text);
    }
}

TEST_F(RegRootFolder, AComponentTooLongForTheRecordEndsThePathThere)
{
    const std::wstring text = L"HKCU\\Software\\" + std::wstring(250, L'k') + L"\\Below";
    EXPECT_EQ(ParseNames(psf.get(), text.c_str()), (Names_t{"HKEY_CURRENT_USER", "Software"}));
}

TEST_F(RegRootFolder, CharactersEatenLeaveOutThePrefix)
{
    wchar_t text[] = L"reg://HKLM\\SOFTWARE";
    UniquePidl pidl;
    ULONG eaten = 0;
    ASSERT_EQ(psf->ParseDisplayName(nullptr, nullptr, text, &eaten, pidl.put(), nullptr), S_OK);
    EXPECT_EQ(eaten, wcslen(L"HKLM\\SOFTWARE"));
}

TEST_F(RegRootFolder, AValuePathIsRootThenKeysThenValue)
{
    UniquePidl full = Combine(Combine(Combine(ItemId(REGITEM_KEY, "HKEY_LOCAL_MACHINE", 0x80000002).get(),
                                              ItemId(REGITEM_KEY, "SOFTWARE").get()).get(),
                                      ItemId(REGITEM_KEY, "X").get()).get(),
                              ItemId(REGITEM_VALUE, "Path", 0, REG_EXPAND_SZ).get());
    EXPECT_EQ(DisplayName(psf.get(), full.get(), SHGDN_FORPARSING),
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Path");
}
