// Key paths pasted from other tools: every form the registry root's parse takes besides its
// own, and the texts that must still fail.
#include "registry/FolderTestUtil.h"
#include "registry/LocationText.h"

using namespace corvasin;
using namespace corvasin::test;

namespace
{

// The names of the ids a parse gives, or "<fails>".
std::string Parsed(IShellFolder* psf, const wchar_t* pszText)
{
    std::wstring text = pszText;
    UniquePidl pidl;
    ULONG cchEaten = 0;
    if (FAILED(psf->ParseDisplayName(nullptr, nullptr, text.data(), &cchEaten, pidl.put(), nullptr)))
        return "<fails>";
    std::string names;
    for (const std::string& name : NamesAlong(pidl.get()))
        names += (names.empty() ? "" : "|") + name;
    return names;
}

TEST(ForeignLocation, PathsFromOtherToolsOpenTheKeyTheyName)
{
    const std::pair<const wchar_t*, const char*> rows[] = {
        // A trailing separator of the root's own form.
        {L"HKLM\\SOFTWARE\\", "HKEY_LOCAL_MACHINE|SOFTWARE"},
        // The registry editor's address bar.
        {L"Computer\\HKEY_LOCAL_MACHINE\\SOFTWARE", "HKEY_LOCAL_MACHINE|SOFTWARE"},
        {L"My Computer\\HKEY_CURRENT_USER", "HKEY_CURRENT_USER"},
        // PowerShell's drives and provider paths.
        {L"HKLM:\\SOFTWARE", "HKEY_LOCAL_MACHINE|SOFTWARE"},
        {L"HKCU:", "HKEY_CURRENT_USER"},
        {L"hkcu:\\Software\\", "HKEY_CURRENT_USER|Software"},
        {L"Registry::HKEY_LOCAL_MACHINE\\SOFTWARE", "HKEY_LOCAL_MACHINE|SOFTWARE"},
        {L"Microsoft.PowerShell.Core\\Registry::HKEY_LOCAL_MACHINE\\SOFTWARE", "HKEY_LOCAL_MACHINE|SOFTWARE"},
        // A registration file's key lines.
        {L"[HKEY_LOCAL_MACHINE\\SOFTWARE]", "HKEY_LOCAL_MACHINE|SOFTWARE"},
        {L"[-HKEY_CURRENT_USER\\Software\\X]", "HKEY_CURRENT_USER|Software|X"},
        // Blanks and quotes around.
        {L"  \"HKEY_CURRENT_USER\\Software\"  ", "HKEY_CURRENT_USER|Software"},
        {L"\t[HKLM\\SOFTWARE]\r\n", "HKEY_LOCAL_MACHINE|SOFTWARE"},
        // Object names of the security functions, and the kernel's.
        {L"MACHINE\\SOFTWARE", "HKEY_LOCAL_MACHINE|SOFTWARE"},
        {L"machine", "HKEY_LOCAL_MACHINE"},
        {L"USERS\\.DEFAULT\\", "HKEY_USERS|.DEFAULT"},
        {L"CLASSES_ROOT\\CLSID", "HKEY_CLASSES_ROOT|CLSID"},
        {L"CLASSES\\CLSID", "HKEY_CLASSES_ROOT|CLSID"},
        {L"CURRENT_USER\\Software", "HKEY_CURRENT_USER|Software"},
        {L"CURRENT_CONFIG", "HKEY_CURRENT_CONFIG"},
        {L"\"\\Registry\\Machine\\SOFTWARE\"", "HKEY_LOCAL_MACHINE|SOFTWARE"},
        {L"\\REGISTRY\\USER\\.DEFAULT", "HKEY_USERS|.DEFAULT"},
        {L"\\Registry\\Machine", "HKEY_LOCAL_MACHINE"},
        // Still no predefined key.
        {L"\\Registry\\Machinery\\SOFTWARE", "<fails>"},
        {L"MACHINES\\SOFTWARE", "<fails>"},
        {L"SOFTWARE\\MACHINE", "<fails>"},
        {L"HKU:\\Software", "<fails>"},
        {L"Computer\\HKU", "<fails>"},
        {L"Computer", "<fails>"},
        {L"\"\"", "<fails>"},
        {L"[]", "<fails>"},
        {L"Software:\\X", "<fails>"},
    };
    ComPtr<IShellFolder2> root = RootFolder();
    for (const auto& [pszText, pszExpected] : rows)
        EXPECT_EQ(Parsed(root.get(), pszText), pszExpected) << "text: " << WideToAnsi(pszText);
}

// Only a first name that is not a predefined key's own stands for a root: below one it is a key.
TEST(ForeignLocation, ObjectRootNamesAreReadInFirstPlaceOnly)
{
    auto isPredefined = [](std::wstring_view name) {
        return name == L"HKLM" || name == L"HKEY_LOCAL_MACHINE";
    };
    EXPECT_EQ(RewriteForeignLocation(L"HKLM\\MACHINE", isPredefined), std::nullopt);
    EXPECT_EQ(RewriteForeignLocation(L"HKEY_LOCAL_MACHINE\\USERS\\x", isPredefined), std::nullopt);
    EXPECT_EQ(RewriteForeignLocation(L"MACHINE\\MACHINE", isPredefined), L"HKEY_LOCAL_MACHINE\\MACHINE");
}

TEST(ForeignLocation, TheWholePastedTextCountsAsEaten)
{
    ComPtr<IShellFolder2> root = RootFolder();
    std::wstring text = L"  [HKLM\\SOFTWARE]  ";
    UniquePidl pidl;
    ULONG cchEaten = 0;
    ASSERT_EQ(root->ParseDisplayName(nullptr, nullptr, text.data(), &cchEaten, pidl.put(), nullptr), S_OK);
    EXPECT_EQ(cchEaten, text.size());
}

} // namespace
