// Backups of changes that lose data: each operation through the menus and interfaces the shell
// uses, then the backup merged with the system's registry editor, then the tree compared with
// what it was. And the number of backups kept.
#include "commands/RegUIObject.h"
#include "commands/RegistryCommandFixture.h"
#include "registry/ChangeBackup.h"
#include "resource.h"
#include "support/ModalDriver.h"
#include "support/RegistrySnapshot.h"

#include <functional>
#include <set>
#include <tuple>

namespace corvasin::test
{
namespace
{

std::set<std::string> BackupFiles()
{
    std::set<std::string> files;
    WIN32_FIND_DATAA fd = {};
    const CString folder = BackupFolder();
    const HANDLE hFind = ::FindFirstFileA((folder + "\\*.reg").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return files;
    do
        files.insert(folder + "\\" + fd.cFileName);
    while (::FindNextFileA(hFind, &fd));
    ::FindClose(hFind);
    return files;
}

class ChangeBackups : public RegistryCommands
{
protected:
    ChangeBackups()
    {
        key.CreateSubkey("Tree\\Deep");
        key.SetString("Text", "old text", REG_EXPAND_SZ);
        key.SetBinary("Bytes", {0, 1, 2, 250});
        key.SetDword("Number", 7);
        ::RegSetKeyValueA(key.get(), "Tree", "inside", REG_SZ, "in", 3);
        ::RegSetKeyValueA(key.get(), "Tree\\Deep", nullptr, REG_MULTI_SZ, "a\0b\0", 5);
        ::RegSetKeyValueA(key.get(), "Tree\\Deep", "q", REG_QWORD, "\1\2\3\4\5\6\7\x08", 8);
        Start();
    }
    ~ChangeBackups() override
    {
        for (const std::string& file : NewBackups())
            ::DeleteFileA(file.c_str());
    }
    // What a change starts from: the tree, and the backups there were already.
    void Start()
    {
        before = SnapKey(key.path());
        filesBefore = BackupFiles();
    }
    std::vector<std::string> NewBackups() const
    {
        std::vector<std::string> added;
        for (const std::string& file : BackupFiles())
            if (!filesBefore.count(file))
                added.push_back(file);
        return added;
    }
    Snapshot before;
    std::set<std::string> filesBefore;
};

TEST_F(ChangeBackups, EveryChangeThatLosesDataCanBeMergedBack)
{
    UniquePidl tree = ItemId(REGITEM_KEY, "Tree");
    UniquePidl text = ItemId(REGITEM_VALUE, "Text", 0, REG_EXPAND_SZ);
    UniquePidl bytes = ItemId(REGITEM_VALUE, "Bytes", 0, REG_BINARY);
    // The operation, the backups it writes (one per item changed), and the change.
    const std::tuple<std::string, size_t, std::function<void()>> rows[] = {
        {"delete", 2, [&] {
             CModalDriver answers({Press(IDYES), Press(IDYES)});
             EXPECT_EQ(Invoke({tree.get(), bytes.get()}, "delete"), S_OK);
         }},
        {"rename", 1, [&] {
             EXPECT_EQ(folder->SetNameOf(nullptr, text.get(), L"Renamed", SHGDN_NORMAL, nullptr), S_OK);
         }},
        {"edit", 1, [&] {
             CModalDriver answers({TypeAndPress(IDC_VALUE_EDIT, "new text", IDOK)});
             EXPECT_EQ(Invoke({text.get()}, "edit"), S_OK);
         }},
        {"paste", 1, [&] {
             // A copy of Tree and of Text from Source lands on them, replacing their data.
             key.CreateSubkey("Source\\Tree");
             ::RegSetKeyValueA(key.get(), "Source\\Tree", "inside", REG_SZ, "replaced", 9);
             ::RegSetKeyValueA(key.get(), "Source", "Text", REG_SZ, "replaced", 9);
             Start(); // Source is part of what must come back
             ComPtr<IShellFolder> source = Sub("Source");
             ComPtr<IDataObject> data = UIObjectOf<IDataObject>(source.get(), {tree.get(), text.get()});
             EXPECT_EQ(DropOn(folder.get(), data.get(), nullptr, false), S_OK);
         }},
    };
    for (const auto& [operation, cBackups, change] : rows)
    {
        SCOPED_TRACE(operation);
        change();
        ASSERT_NE(SnapKey(key.path()), before);
        const std::vector<std::string> added = NewBackups();
        ASSERT_EQ(added.size(), cBackups);
        for (const std::string& file : added)
        {
            EXPECT_NE(file.find("-" + operation + "-"), std::string::npos) << file;
            ASSERT_EQ(ImportRegFile(file), 0u);
        }
        // Merging adds back what was lost; what the change added itself stays.
        Snapshot restored = SnapKey(key.path());
        if (operation == "rename")
            restored[""].erase("Renamed");
        ExpectSameTree(restored, before);
        // Back to the start for the next row.
        ::SHDeleteKeyA(HKEY_CURRENT_USER, (key.path() + "\\Source").c_str());
        ::RegDeleteValueA(key.get(), "Renamed");
        key.SetString("Text", "old text", REG_EXPAND_SZ);
        for (const std::string& file : added)
            ::DeleteFileA(file.c_str());
        Start();
    }
}

TEST_F(ChangeBackups, ChangesThatLoseNothingAndDisabledBackupsWriteNone)
{
    // A new value loses nothing.
    UniquePidl tree = ItemId(REGITEM_KEY, "Tree");
    EXPECT_EQ(Invoke({tree.get()}, CRegUIObject::kRegNewString), S_OK);
    const char* pszSettings = "SOFTWARE\\Corvasin\\Backups";
    const DWORD dwOff = 0;
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, pszSettings, "Enabled", REG_DWORD, &dwOff, 4), ERROR_SUCCESS);
    UniquePidl bytes = ItemId(REGITEM_VALUE, "Bytes", 0, REG_BINARY);
    {
        CModalDriver answers({Press(IDYES)});
        EXPECT_EQ(Invoke({bytes.get()}, "delete"), S_OK);
    }
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, pszSettings, "Enabled");
    EXPECT_EQ(BackupFiles(), filesBefore);
}

TEST_F(ChangeBackups, OnlyTheNewestAreKept)
{
    const CString folder = BackupFolder();
    ASSERT_FALSE(folder.empty());
    // Older backups of other tests would be trimmed too: this one works in a folder of its own.
    const CString own = folder + "\\TrimTest";
    ::CreateDirectoryA(own.c_str(), nullptr);
    const std::string names[] = {"20261207-010000-delete-A.reg", "20261207-020000-edit-B.reg",
                                 "20261207-030000-paste-C.reg", "20261208-000000-rename-D.reg", "notes.reg"};
    for (const std::string& name : names)
        ::CloseHandle(::CreateFileA((own + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    TrimBackups(own, 2);
    std::vector<bool> exists;
    for (const std::string& name : names)
    {
        exists.push_back(::GetFileAttributesA((own + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES);
        ::DeleteFileA((own + "\\" + name).c_str());
    }
    EXPECT_EQ(exists, (std::vector<bool>{false, false, true, true, true})) << "only backups are counted";
    ::RemoveDirectoryA(own.c_str());
}

} // namespace
} // namespace corvasin::test
