// Names and text the code page cannot hold: every operation reaches the very entry its item
// names (never a sibling whose real name is the item's lossy text) and moves the stored bytes
// unchanged; backups and exports merged back with the system's registry editor restore them.
#include "commands/RegistryCommandFixture.h"
#include "registry/ChangeBackup.h"
#include "registry/FileByteSink.h"
#include "registry/RegFileWriter.h"
#include "registry/SearchWalk.h"
#include "registry/Utf16ByteSink.h"
#include "resource.h"
#include "support/ModalDriver.h"
#include "support/RegistrySnapshot.h"

#include <functional>
#include <map>
#include <set>

namespace corvasin::test
{
namespace
{

// The one table: each name is a value of Src (REG_SZ, the data) and a key of Src holding the
// value "in" (REG_EXPAND_SZ, the data), a REG_MULTI_SZ and a subkey. rename: what the value is
// renamed to.
struct Entry
{
    const wchar_t* pszName;
    const wchar_t* pszData;
    const wchar_t* pszRename;
};
const Entry c_entries[] = {
    {L"caf\u00e9", L"caf\u00e9 cr\u00e8me", L"CAF\u00c9"}, // Western accents fit; the rename changes case only
    {L"\u0416\u2605", L"caf\u00e9 \u0416\u2605 \u4e2d", L"Renamed"}, // Cyrillic and a star: listed as "??"
    {L"\u4e2d\u6587", L"\u4e2d\u6587", L"Renamed"},                 // CJK
    {L"sub\u2605", L"\u2605", L"Renamed"},                          // a star
    {L"k\u0416", L"one", L"Renamed"},                               // "k?", like the next one
    {L"k\u0414", L"two", L"Renamed"},                               // differs from the one above only there
    {L"??", L"\u0416", L"Renamed"},                                 // the real name that the second shows as
    {L"k?", L"plain k", L"Renamed"},                                // the real name that "k" + Cyrillic shows as
};

using Data = std::pair<DWORD, std::vector<BYTE>>;
using WideTree = std::map<std::wstring, std::map<std::wstring, Data>>; // path below the start: values

void SnapInto(HKEY hKey, const std::wstring& path, WideTree& tree)
{
    auto& values = tree[path];
    std::vector<wchar_t> name(16384);
    for (DWORD i = 0;; ++i)
    {
        DWORD cch = 16384, dwType = 0, cb = 0;
        if (::RegEnumValueW(hKey, i, name.data(), &cch, nullptr, &dwType, nullptr, &cb) != ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(cb + 1);
        cch = 16384;
        ::RegEnumValueW(hKey, i, name.data(), &cch, nullptr, &dwType, data.data(), &cb);
        data.resize(cb);
        values[std::wstring(name.data(), cch)] = {dwType, data};
    }
    for (DWORD i = 0;; ++i)
    {
        DWORD cch = 256;
        if (::RegEnumKeyExW(hKey, i, name.data(), &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring sub(name.data(), cch);
        UniqueHkey hSub;
        if (::RegOpenKeyExW(hKey, sub.c_str(), 0, KEY_READ, hSub.put()) == ERROR_SUCCESS)
            SnapInto(hSub.get(), path + L"\\" + sub, tree);
    }
}

// The tree below HKCU\<path>: names and the stored bytes, as the wide calls read them.
WideTree SnapWide(const std::string& path)
{
    WideTree tree;
    UniqueHkey hKey;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, AnsiToWide(path.c_str()).c_str(), 0, KEY_READ, hKey.put()) == ERROR_SUCCESS)
        SnapInto(hKey.get(), L"", tree);
    return tree;
}

std::vector<BYTE> StringBytes(const wchar_t* psz, bool bMulti = false)
{
    const auto* p = reinterpret_cast<const BYTE*>(psz);
    std::vector<BYTE> bytes(p, p + (wcslen(psz) + 1) * sizeof(wchar_t));
    if (bMulti)
        bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

void SetWide(HKEY hKey, const wchar_t* pszName, DWORD dwType, const std::vector<BYTE>& data)
{
    ASSERT_EQ(::RegSetValueExW(hKey, pszName, 0, dwType, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
}

bool IsLossyText(const wchar_t* psz)
{
    return AnsiToWide(WideToAnsi(psz).c_str()) != psz;
}

// A search that matches a text in names and string data, as the find dialog's plain search does.
class CTextSearch : public CSearchWalk
{
public:
    explicit CTextSearch(std::string text) : m_text(std::move(text)) {}
    bool SearchKeyNames() const noexcept override { return true; }
    bool SearchValueNames() const noexcept override { return true; }
    bool SearchValueData() const noexcept override { return true; }
    bool SearchesDataOfType(DWORD dwType) const noexcept override { return dwType == REG_SZ || dwType == REG_EXPAND_SZ; }
    bool ServeAndCheckCancelled() noexcept override { return false; }
    bool IsCancelled() const noexcept override { return false; }
    void SetStatusText(const CString&) noexcept override {}
    void AddResult(LPITEMIDLIST pidl) noexcept override { results.emplace_back(pidl); }
    bool MatchesName(const char* pszName) const noexcept override { return strstr(pszName, m_text.c_str()) != nullptr; }
    bool MatchesData(DWORD, const BYTE* pData, size_t cb) const noexcept override
    {
        return std::string(reinterpret_cast<const char*>(pData), cb).find(m_text) != std::string::npos;
    }
    std::vector<UniquePidl> results;

private:
    std::string m_text;
};

class UnicodeNames : public RegistryCommands
{
protected:
    UnicodeNames()
    {
        key.CreateSubkey("Src");
        key.CreateSubkey("Dst");
        dst = Sub("Dst");
        src = Sub("Src");
        hSrc = KeyOf(src.get());
        // The commands run in Src.
        folder = nullptr;
        EXPECT_EQ(src->QueryInterface(IID_IShellFolder2, folder.put_void()), S_OK);
        for (const Entry& e : c_entries)
        {
            SetWide(hSrc, e.pszName, REG_SZ, StringBytes(e.pszData));
            UniqueHkey hKey;
            EXPECT_EQ(::RegCreateKeyExW(hSrc, e.pszName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, hKey.put(), nullptr), ERROR_SUCCESS);
            SetWide(hKey.get(), L"in", REG_EXPAND_SZ, StringBytes(e.pszData));
            SetWide(hKey.get(), e.pszName, REG_MULTI_SZ, StringBytes(e.pszData, true));
            UniqueHkey hDeep;
            ::RegCreateKeyExW(hKey.get(), (std::wstring(L"deep ") + e.pszName).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, hDeep.put(), nullptr);
        }
        before = SnapWide(key.path() + "\\Src");
    }

    static HKEY KeyOf(IShellFolder* psf)
    {
        HKEY hKey = nullptr;
        ComPtr<IRegFolder> reg;
        if (psf && SUCCEEDED(psf->QueryInterface(IID_IRegFolder, reg.put_void())))
            reg->GetKey(&hKey);
        return hKey;
    }

    // The listed item of Src whose real name is given: a lossy item's real name is the one at its
    // listing index.
    UniquePidl Listed(DWORD dwKind, const std::wstring& name)
    {
        for (UniquePidl& pidl : List(src.get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS))
        {
            const REGITEM item = RecordOf(pidl.get());
            std::wstring real = AnsiToWide(item.szName);
            if (item.dwIndex & kRegItemLossyName)
            {
                std::vector<wchar_t> buffer(16384);
                DWORD cch = 16384;
                const DWORD i = item.dwIndex & kRegItemIndexMask;
                const LONG l = dwKind == REGITEM_KEY
                                   ? ::RegEnumKeyExW(hSrc, i, buffer.data(), &cch, nullptr, nullptr, nullptr, nullptr)
                                   : ::RegEnumValueW(hSrc, i, buffer.data(), &cch, nullptr, nullptr, nullptr, nullptr);
                real = l == ERROR_SUCCESS ? std::wstring(buffer.data(), cch) : std::wstring();
            }
            if (item.dwKind == dwKind && real == name)
                return std::move(pidl);
        }
        ADD_FAILURE() << "not listed";
        return UniquePidl();
    }

    // The tree before, without an entry (its value, or its key and everything below).
    WideTree Without(DWORD dwKind, const std::wstring& name) const
    {
        WideTree tree = before;
        if (dwKind == REGITEM_VALUE)
        {
            tree[L""].erase(name);
            return tree;
        }
        for (auto it = tree.begin(); it != tree.end();)
            it = it->first == L"\\" + name || it->first.rfind(L"\\" + name + L"\\", 0) == 0 ? tree.erase(it) : std::next(it);
        return tree;
    }

    ComPtr<IShellFolder> src, dst;
    HKEY hSrc = nullptr; // the folder's own
    WideTree before;
};

TEST_F(UnicodeNames, ListsLossyNamesMarkedAndApartFromTheirNamesakes)
{
    ASSERT_EQ(::GetACP(), 1252u) << "the table is written for the Western code page";
    std::set<std::wstring> texts;
    for (const Entry& e : c_entries)
    {
        SCOPED_TRACE(WideToAnsi(e.pszName));
        for (DWORD dwKind : {REGITEM_KEY, REGITEM_VALUE})
        {
            UniquePidl pidl = Listed(dwKind, e.pszName);
            ASSERT_TRUE(pidl);
            const REGITEM item = RecordOf(pidl.get());
            EXPECT_EQ((item.dwIndex & kRegItemLossyName) != 0, IsLossyText(e.pszName));
            EXPECT_EQ(item.szName, WideToAnsi(e.pszName));
        }
    }
    // "\u0416\u2605" and the key really named "??" show the same text and are still two items.
    UniquePidl a = Listed(REGITEM_KEY, L"\u0416\u2605"), b = Listed(REGITEM_KEY, L"??");
    EXPECT_NE(src->CompareIDs(0, a.get(), b.get()), S_OK);
}

TEST_F(UnicodeNames, RenameDeleteAndOpenReachTheExactEntryAndMoveExactBytes)
{
    for (const Entry& e : c_entries)
    {
        SCOPED_TRACE(WideToAnsi(e.pszName));
        // Rename of the value: its bytes under the new name, every other entry as it was.
        UniquePidl value = Listed(REGITEM_VALUE, e.pszName);
        ASSERT_EQ(src->SetNameOf(nullptr, value.get(), e.pszRename, SHGDN_NORMAL, nullptr), S_OK);
        WideTree expected = Without(REGITEM_VALUE, e.pszName);
        expected[L""][e.pszRename] = before.at(L"").at(e.pszName);
        EXPECT_EQ(SnapWide(key.path() + "\\Src"), expected);
        ::RegDeleteValueW(hSrc, e.pszRename);
        SetWide(hSrc, e.pszName, REG_SZ, StringBytes(e.pszData));

        // The key opened as a folder is that very key, from its item and from its typed path.
        UniquePidl keyItem = Listed(REGITEM_KEY, e.pszName);
        std::wstring typed = L"HKEY_CURRENT_USER\\" + AnsiToWide(key.path().c_str()) + L"\\Src\\" + e.pszName;
        UniquePidl parsed;
        ASSERT_EQ(root->ParseDisplayName(nullptr, nullptr, typed.data(), nullptr, parsed.put(), nullptr), S_OK);
        for (const auto& [psf, pidl] : {std::pair<IShellFolder*, LPCITEMIDLIST>{src.get(), keyItem.get()},
                                        {root.get(), parsed.get()}})
        {
            ComPtr<IShellFolder> sub;
            ASSERT_EQ(psf->BindToObject(pidl, nullptr, IID_IShellFolder, sub.put_void()), S_OK);
            DWORD dwType = 0, cb = 512;
            BYTE ab[512] = {};
            ASSERT_EQ(::RegQueryValueExW(KeyOf(sub.get()), L"in", nullptr, &dwType, ab, &cb), ERROR_SUCCESS);
            EXPECT_EQ(std::vector<BYTE>(ab, ab + cb), StringBytes(e.pszData));
        }

        // Delete of the key (answered Yes): that key goes, its namesakes stay.
        {
            CModalDriver answers({Press(IDYES)});
            EXPECT_EQ(Invoke({keyItem.get()}, "delete"), S_OK);
            ASSERT_EQ(answers.Seen().size(), 1u);
        }
        EXPECT_EQ(SnapWide(key.path() + "\\Src"), Without(REGITEM_KEY, e.pszName));
        // Back as it was, from the backup the delete wrote.
        const std::string backup = [] {
            std::string newest;
            WIN32_FIND_DATAA fd = {};
            const CString folder = BackupFolder();
            const HANDLE hFind = ::FindFirstFileA((folder + "\\*-delete-*.reg").c_str(), &fd);
            if (hFind == INVALID_HANDLE_VALUE)
                return newest;
            do
                newest = std::max(newest, std::string(fd.cFileName));
            while (::FindNextFileA(hFind, &fd));
            ::FindClose(hFind);
            return folder + "\\" + newest;
        }();
        ASSERT_EQ(ImportRegFile(backup), 0u);
        EXPECT_EQ(SnapWide(key.path() + "\\Src"), before) << "the backup restores the tree exactly";
        ::DeleteFileA(backup.c_str());
    }

    // An empty key named like a sibling but for one character is renamed, not the sibling.
    UniqueHkey hEmpty;
    ::RegCreateKeyExW(hSrc, L"e\u0416", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, hEmpty.put(), nullptr);
    ::RegCreateKeyExW(hSrc, L"e?", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, hEmpty.put(), nullptr);
    before = SnapWide(key.path() + "\\Src");
    UniquePidl empty = Listed(REGITEM_KEY, L"e\u0416");
    ASSERT_EQ(src->SetNameOf(nullptr, empty.get(), L"e-renamed", SHGDN_NORMAL, nullptr), S_OK);
    WideTree expected = Without(REGITEM_KEY, L"e\u0416");
    expected[L"\\e-renamed"];
    EXPECT_EQ(SnapWide(key.path() + "\\Src"), expected);
}

TEST_F(UnicodeNames, PasteCopiesTheExactTreesAndValues)
{
    std::vector<UniquePidl> items;
    std::vector<LPCITEMIDLIST> apidl;
    for (const Entry& e : c_entries)
        for (DWORD dwKind : {REGITEM_KEY, REGITEM_VALUE})
        {
            items.push_back(Listed(dwKind, e.pszName));
            apidl.push_back(items.back().get());
        }
    ComPtr<IDataObject> data = UIObjectOf<IDataObject>(src.get(), apidl);
    EXPECT_EQ(DropOn(dst.get(), data.get(), nullptr, false), S_OK);
    EXPECT_EQ(SnapWide(key.path() + "\\Dst"), before);
    EXPECT_EQ(SnapWide(key.path() + "\\Src"), before) << "a copy is no move";
}

TEST_F(UnicodeNames, EditLeavesLossyTextAndLossyNamesAsTheyAre)
{
    for (const wchar_t* pszName : {L"??", L"\u0416\u2605"})
    {
        UniquePidl value = Listed(REGITEM_VALUE, pszName);
        CModalDriver answers({Press(IDOK)});
        Invoke({value.get()}, "edit");
        ASSERT_EQ(answers.Seen().size(), 1u);
        EXPECT_NE(answers.Seen()[0].text.find("cannot show"), std::string::npos);
    }
    EXPECT_EQ(SnapWide(key.path() + "\\Src"), before);
}

TEST_F(UnicodeNames, ExportsRestoreExactlyAndStayRegedit4WhenEverythingFits)
{
    const std::string file = TempFile("corvasin-unicode.reg");
    CRegkeyExtension* pSrc = KeyObject(src.get());
    // The whole key: the Unicode form, with its byte order mark.
    ASSERT_TRUE(ExportNeedsUnicode(*pSrc, 0, nullptr, false));
    {
        CFileByteSink sink;
        ASSERT_TRUE(sink.Create(file.c_str()));
        CUtf16ByteSink text(sink);
        ASSERT_TRUE(WriteUnicodeRegFileHeader(text) && WriteExportBody(*pSrc, 0, nullptr, false, text, true));
        ASSERT_TRUE(sink.Close());
    }
    std::string bytes(4, '\0');
    {
        UniqueHandle hFile(::CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        DWORD cb = 0;
        ::ReadFile(hFile.get(), bytes.data(), 4, &cb, nullptr);
    }
    EXPECT_EQ(bytes, std::string("\xFF\xFEW\0", 4));
    ::RegDeleteTreeW(hSrc, nullptr);
    ASSERT_EQ(ImportRegFile(file), 0u);
    EXPECT_EQ(SnapWide(key.path() + "\\Src"), before);

    // A key whose names and data all fit: REGEDIT4, as ever.
    UniquePidl cafe = Listed(REGITEM_KEY, L"caf\u00e9");
    LPCITEMIDLIST apidl[] = {cafe.get()};
    EXPECT_FALSE(ExportNeedsUnicode(*pSrc, 1, apidl, false));
    ::DeleteFileA(file.c_str());
}

TEST_F(UnicodeNames, SearchFindsLossyNamesAndTheirResultsOpenTheExactKey)
{
    CTextSearch search("caf");
    ASSERT_TRUE(KeyObject(src.get())->SearchKey(&search));
    // Each result opens, through the root, the key it is or lies in: the "in" data read there
    // tells which key that is.
    std::set<std::wstring> found;
    for (const UniquePidl& pidl : search.results)
    {
        UniquePidl folderPidl(::ILClone(pidl.get()));
        if (RecordOf(::ILFindLastID(pidl.get())).dwKind != REGITEM_KEY)
            ::ILRemoveLastID(folderPidl.get());
        ComPtr<IShellFolder> psf;
        ASSERT_EQ(root->BindToObject(folderPidl.get(), nullptr, IID_IShellFolder, psf.put_void()), S_OK);
        BYTE ab[512] = {};
        DWORD cb = sizeof(ab) - 2;
        if (::RegQueryValueExW(KeyOf(psf.get()), L"in", nullptr, nullptr, ab, &cb) == ERROR_SUCCESS)
            found.insert(std::wstring(reinterpret_cast<const wchar_t*>(ab)));
    }
    // "caf\u00e9" by its name, "\u0416\u2605" by the data of its "in", and never "??" instead.
    EXPECT_EQ(found, (std::set<std::wstring>{L"caf\u00e9 cr\u00e8me", L"caf\u00e9 \u0416\u2605 \u4e2d"}));
}

} // namespace
} // namespace corvasin::test
