// Key security through ISecurityInformation as the access-control editor calls it: the tables,
// the generic mapping, object names, reading and writing real keys' descriptors (with and
// without the tree flags), and the editor's lookup, real and missing.
#include "registry/FolderTestUtil.h"
#include "commands/KeySecurityInfo.h"
#include "commands/SecurityEditor.h"
#include "support/ModalDriver.h"

#include <sddl.h>

#include <tuple>

using namespace corvasin;
using namespace corvasin::test;

namespace
{
// {965FC360-16FF-11D0-91CB-00AA00BBB723}
constexpr GUID c_iidSecurityInformation = {
    0x965fc360, 0x16ff, 0x11d0, {0x91, 0xcb, 0x00, 0xaa, 0x00, 0xbb, 0xb7, 0x23}};

ComPtr<ISecurityInformation> SecurityOf(IShellFolder* psf)
{
    return MakeKeySecurityInformation(*KeyObject(psf));
}

TEST(KeySecurity, AccessRightsAndInheritTypesAreTheRegistrysTables)
{
    ComPtr<IShellFolder2> psf = RootFolder();
    const ComPtr<ISecurityInformation> psi = SecurityOf(psf.get());
    using Right = std::tuple<ACCESS_MASK, std::wstring, DWORD>;
    const std::vector<Right> expected = {
        {0x1, L"Query Value", 0x10000},    {0x2, L"Set Value", 0x10000},
        {0x4, L"Create Subkey", 0x10000},  {0x8, L"Enumerate Subkeys", 0x10000},
        {0x10, L"Notify", 0x10000},        {0x20, L"Create Link", 0x10000},
        {0x10000, L"Delete", 0x10000},     {0x40000, L"Write DAC", 0x10000},
        {0x80000, L"Wrirte Owxner", 0x10000}, {0x20000, L"Read Control", 0x10000},
        {0x20019, L"Read", 0x20000},       {0xF003F, L"Full Control", 0x20000},
    };
    PSI_ACCESS pAccess = nullptr;
    ULONG cAccess = 0, iDefault = 99;
    ASSERT_EQ(psi->GetAccessRights(nullptr, 0, &pAccess, &cAccess, &iDefault), S_OK);
    EXPECT_EQ(iDefault, 1u);
    std::vector<Right> rights;
    for (ULONG i = 0; i < cAccess; ++i)
    {
        EXPECT_EQ(*pAccess[i].pguid, GUID_NULL) << i;
        rights.emplace_back(pAccess[i].mask, pAccess[i].pszName, pAccess[i].dwFlags);
    }
    EXPECT_EQ(rights, expected);

    PSI_INHERIT_TYPE pInherit = nullptr;
    ULONG cInherit = 0;
    ASSERT_EQ(psi->GetInheritTypes(&pInherit, &cInherit), S_OK);
    std::vector<std::pair<ULONG, std::wstring>> inherit;
    for (ULONG i = 0; i < cInherit; ++i)
    {
        EXPECT_EQ(*pInherit[i].pguid, GUID_NULL) << i;
        inherit.emplace_back(pInherit[i].dwFlags, pInherit[i].pszName);
    }
    EXPECT_EQ(inherit, (std::vector<std::pair<ULONG, std::wstring>>{
                           {0x2, L"This key and subkeys"}, {0x4, L"This key only"}, {0xA, L"Subkeys only"}}));
    EXPECT_EQ(psi->PropertySheetPageCallback(nullptr, 0, SI_PAGE_PERM), E_NOTIMPL);
    // Not in the interface map: the editor reaches it only through the pointer it is given.
    ComPtr<IUnknown> none;
    EXPECT_EQ(psf->QueryInterface(c_iidSecurityInformation, none.put_void()), E_NOINTERFACE);
}

TEST(KeySecurity, MapGenericUsesTheRegistrysMapping)
{
    ComPtr<IShellFolder2> psf = RootFolder();
    const std::pair<ACCESS_MASK, ACCESS_MASK> rows[] = {
        {GENERIC_READ, 0x20019}, {GENERIC_WRITE, 0x20006}, {GENERIC_EXECUTE, 0x20019},
        {GENERIC_ALL, 0xF003F},  {KEY_SET_VALUE, KEY_SET_VALUE},
    };
    for (const auto& [in, out] : rows)
    {
        ACCESS_MASK mask = in;
        UCHAR flags = 0;
        EXPECT_EQ(SecurityOf(psf.get())->MapGeneric(nullptr, &flags, &mask), S_OK);
        EXPECT_EQ(mask, out) << std::hex << in;
    }
}

TEST(KeySecurity, ObjectNamesAreTheFoldersOwnItemNames)
{
    ComPtr<IShellFolder2> root = RootFolder();
    ComPtr<IPersistFolder> persist;
    root.As(persist);
    const USHORT desktop = 0; // the root mounted at the desktop: an empty list
    persist->Initialize(reinterpret_cast<LPCITEMIDLIST>(&desktop));
    CRegkeyExtension* pRoot = KeyObject(root.get());
    const CmdTargetPtr<CRegkeyExtension> hklm =
        pRoot->GetKeySubFolder(MakeRegItem(REGITEM_KEY, 0x80000002, "HKEY_LOCAL_MACHINE"));
    ASSERT_TRUE(hklm);
    const CmdTargetPtr<CRegkeyExtension> software = hklm->GetKeySubFolder(MakeRegItem(REGITEM_KEY, 0, "SOFTWARE"));
    ASSERT_TRUE(software);

    const std::pair<CRegkeyExtension*, const wchar_t*> rows[] = {
        {hklm.get(), L"HKEY_LOCAL_MACHINE"}, {software.get(), L"SOFTWARE"}, {pRoot, L"Registry"}};
    for (const auto& [pFolder, pszName] : rows)
    {
        const ComPtr<ISecurityInformation> psi = MakeKeySecurityInformation(*pFolder);
        SI_OBJECT_INFO info;
        memset(&info, 0x55, sizeof(info));
        ASSERT_EQ(psi->GetObjectInformation(&info), S_OK);
        EXPECT_EQ(info.dwFlags, 0xC117u);
        EXPECT_STREQ(info.pszObjectName, pszName);
        EXPECT_EQ(info.hInstance, nullptr);
        EXPECT_EQ(info.pszServerName, nullptr);
        EXPECT_EQ(info.pszPageTitle, nullptr);
        EXPECT_EQ(info.guidObjectType, GUID_NULL);
        // The name is kept: the editor may hold it as long as it runs.
        SI_OBJECT_INFO again = {};
        psi->GetObjectInformation(&again);
        EXPECT_EQ(again.pszObjectName, info.pszObjectName);
    }
}

// ---- reading and writing descriptors of scratch keys ----------------------------------------

class KeySecurityWrite : public ScratchFolder
{
protected:
    const char* const c_keys[4] = {"", "A", "A\\B", "A\\B\\C"};

    static std::string DaclOf(HKEY hParent, const char* pszKey)
    {
        UniqueHkey hKey;
        if (::RegOpenKeyExA(hParent, pszKey, 0, READ_CONTROL, hKey.put()) != ERROR_SUCCESS)
            return "<cannot open>";
        BYTE buffer[4096];
        DWORD cb = sizeof(buffer);
        LPSTR psz = nullptr;
        if (::RegGetKeySecurity(hKey.get(), DACL_SECURITY_INFORMATION, buffer, &cb) != ERROR_SUCCESS ||
            !::ConvertSecurityDescriptorToStringSecurityDescriptorA(buffer, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                                    &psz, nullptr))
            return "<cannot read>";
        const std::string text = psz;
        ::LocalFree(psz);
        return text;
    }

    struct Descriptor
    {
        explicit Descriptor(const char* pszSddl)
        {
            ::ConvertStringSecurityDescriptorToSecurityDescriptorA(pszSddl, SDDL_REVISION_1, &p, nullptr);
        }
        ~Descriptor() { ::LocalFree(p); }
        PSECURITY_DESCRIPTOR p = nullptr;
    };

    std::vector<std::string> Dacls() const
    {
        std::vector<std::string> dacls;
        for (const char* pszKey : c_keys)
            dacls.push_back(DaclOf(scratch.get(), pszKey));
        return dacls;
    }
};

TEST_F(KeySecurityWrite, GetSecurityReadsTheKeysDescriptor)
{
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    ASSERT_EQ(SecurityOf(Folder())->GetSecurity(DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION, &pDescriptor,
                                                FALSE),
              S_OK);
    ASSERT_NE(pDescriptor, nullptr);
    EXPECT_TRUE(::IsValidSecurityDescriptor(pDescriptor));
    EXPECT_EQ(::LocalFree(pDescriptor), nullptr);

    // What the key does not grant (the audit list) fails, as does a folder without a key.
    pDescriptor = reinterpret_cast<PSECURITY_DESCRIPTOR>(1);
    EXPECT_EQ(SecurityOf(Folder())->GetSecurity(SACL_SECURITY_INFORMATION, &pDescriptor, FALSE), E_FAIL);
    EXPECT_EQ(pDescriptor, nullptr);
    EXPECT_EQ(SecurityOf(RootFolder().get())->GetSecurity(DACL_SECURITY_INFORMATION, &pDescriptor, FALSE), E_FAIL);
}

TEST_F(KeySecurityWrite, TreeFlagsWriteTheWholeSubtreeAndOnlyThen)
{
    scratch.CreateSubkey("A\\B\\C");
    const char* const pszFirst = "D:(A;;KA;;;WD)";
    const char* const pszSecond = "D:(A;;KA;;;WD)(A;;KR;;;BU)";
    const Descriptor first(pszFirst), second(pszSecond);
    ASSERT_TRUE(first.p && second.p);
    const ComPtr<ISecurityInformation> psi = SecurityOf(Folder());

    for (const SECURITY_INFORMATION treeFlag : {SI_RESET_DACL_TREE, SI_OWNER_RECURSE, SI_RESET_SACL_TREE})
    {
        SCOPED_TRACE(treeFlag);
        ASSERT_EQ(psi->SetSecurity(DACL_SECURITY_INFORMATION | treeFlag, first.p), S_OK);
        EXPECT_EQ(Dacls(), std::vector<std::string>(4, pszFirst));
        ASSERT_EQ(psi->SetSecurity(DACL_SECURITY_INFORMATION | treeFlag, second.p), S_OK);
        EXPECT_EQ(Dacls(), std::vector<std::string>(4, pszSecond));
    }

    // Without a tree flag only the key itself changes.
    ASSERT_EQ(psi->SetSecurity(DACL_SECURITY_INFORMATION, first.p), S_OK);
    EXPECT_EQ(Dacls(), (std::vector<std::string>{pszFirst, pszSecond, pszSecond, pszSecond}));

    // A failed write of the key itself fails, whatever its subkeys do.
    EXPECT_EQ(SecurityOf(RootFolder().get())->SetSecurity(DACL_SECURITY_INFORMATION, first.p), E_FAIL);
}

// ---- the editor ------------------------------------------------------------------------------

TEST(SecurityEditor, AMissingEditorIsReplacedOnceAndNeverLookedUpAgain)
{
    std::atomic<EditSecurityFunction> slot{nullptr};
    const EditSecurityFunction pfnMissing = FindSecurityEditor(slot, "corvasin-no-such-aclui.dll");
    ASSERT_NE(pfnMissing, nullptr);
    EXPECT_FALSE(pfnMissing(nullptr, SecurityOf(RootFolder().get()).get()));
    EXPECT_EQ(FindSecurityEditor(slot, "aclui.dll"), pfnMissing);

    // A library without the function is as good as none.
    std::atomic<EditSecurityFunction> other{nullptr};
    EXPECT_EQ(FindSecurityEditor(other, "kernel32.dll"), pfnMissing);

    std::atomic<EditSecurityFunction> real{nullptr};
    const EditSecurityFunction pfnReal = FindSecurityEditor(real, "aclui.dll");
    EXPECT_EQ(reinterpret_cast<FARPROC>(pfnReal), ::GetProcAddress(::GetModuleHandleA("aclui.dll"), "EditSecurity"));
}

TEST_F(KeySecurityWrite, EditKeySecurityOpensTheSystemsEditorOnTheKey)
{
    const Descriptor everyone("D:(A;;KA;;;WD)");
    ASSERT_EQ(::RegSetKeySecurity(scratch.get(), DACL_SECURITY_INFORMATION, everyone.p), ERROR_SUCCESS);
    std::vector<std::string> pageTexts, principals;
    CModalDriver dialogs({[&](HWND hDlg) {
        pageTexts = ChildTexts(hDlg);
        // The page lists the principals of the key's access list, read through GetSecurity.
        const HWND hPage = reinterpret_cast<HWND>(::SendMessageA(hDlg, PSM_GETCURRENTPAGEHWND, 0, 0));
        const HWND hList = ::FindWindowExA(hPage, nullptr, WC_LISTVIEWA, nullptr);
        for (int i = 0; i < ListView_GetItemCount(hList); ++i)
        {
            char sz[256] = "";
            ListView_GetItemText(hList, i, 0, sz, sizeof(sz));
            principals.push_back(sz);
        }
        PressButton(hDlg, IDCANCEL);
    }});
    Object()->EditKeySecurity(nullptr);
    ASSERT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_EQ(dialogs.Seen()[0].caption.rfind("Properties", 0), 0u) << dialogs.Seen()[0].caption;
    EXPECT_NE(std::find(pageTexts.begin(), pageTexts.end(), "Security"), pageTexts.end());
    EXPECT_EQ(principals, std::vector<std::string>{"Everyone"});
}

} // namespace
