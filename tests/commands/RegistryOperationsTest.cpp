// What the registry commands change, through the menus and interfaces the shell uses: new keys
// and values, deletes confirmed item by item, the value editors, renames, and the change
// notification each one sends.
#include "commands/RegUIObject.h"
#include "commands/RegistryCommandFixture.h"
#include "install/DllUnderTest.h"
#include "resource.h"
#include "support/ModalDriver.h"
#include "support/RegistrySnapshot.h"
#include "support/ShellEvents.h"

#include <tuple>

namespace corvasin::test
{
namespace
{

using Event = CShellEvents::Event;

Bytes Text(const char* psz) { return Bytes(psz, psz + strlen(psz) + 1); }

class RegistryOperations : public RegistryCommands
{
protected:
    RegistryOperations() { key.CreateSubkey("Target"); }
    // A value below the scratch key; type ~0 when it is not there.
    Value Read(const char* pszName, const char* pszKey = "")
    {
        const RegValue value = ReadValue(key.get(), pszKey, pszName);
        return value.exists() ? Value{value.dwType, Bytes(value.data.begin(), value.data.end())} : Value{~0u, {}};
    }
    UniquePidl target = ItemId(REGITEM_KEY, "Target");
};

TEST_F(RegistryOperations, NewKeyOpensAnExistingOneAndNotifiesEachTime)
{
    CShellEvents events(Folder()->GetPidl());
    EXPECT_EQ(Invoke({target.get()}, CRegUIObject::kRegNewKey), S_OK);
    EXPECT_EQ(Invoke({target.get()}, CRegUIObject::kRegNewKey), S_OK);
    EXPECT_EQ(SnapKey(key.path() + "\\Target"), (Snapshot{{"", {}}, {"New Key", {}}})) << "one key, opened twice";
    EXPECT_EQ(events.WaitFor(2), (std::vector<Event>{{SHCNE_MKDIR, "New Key", ""}, {SHCNE_MKDIR, "New Key", ""}}));
    // A value has no "New" command.
    UniquePidl value = ItemId(REGITEM_VALUE, "v", 0, REG_SZ);
    key.SetString("v", "x");
    EXPECT_EQ(Invoke({value.get()}, CRegUIObject::kRegNewKey), E_FAIL);
}

TEST_F(RegistryOperations, NewValuesHoldFourZeroBytesUnderAFreeName)
{
    CShellEvents events(Folder()->GetPidl());
    const std::pair<UINT, DWORD> commands[] = {{CRegUIObject::kRegNewString, REG_SZ},
                                               {CRegUIObject::kRegNewDword, REG_DWORD},
                                               {CRegUIObject::kRegNewBinary, REG_BINARY},
                                               {CRegUIObject::kRegNewMultiSz, REG_MULTI_SZ}};
    for (const auto& [offset, dwType] : commands)
        EXPECT_EQ(Invoke({target.get()}, offset), S_OK);
    const char* names[] = {"New Value", "New Value #2", "New Value #3", "New Value #4"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Read(names[i], "Target"), (Value{commands[i].second, Bytes(4, 0)})) << names[i];
    const auto& seen = events.WaitFor(4);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[3], (Event{SHCNE_CREATE, "New Value #4", ""}));
}

TEST_F(RegistryOperations, DeleteAsksForEveryItemAndDeletesTheConfirmedOnes)
{
    key.CreateSubkey("Tree\\Deep\\Deeper");
    key.SetString("Keep", "k");
    key.SetString("Gone", "g");
    key.SetString("", "default");
    UniquePidl tree = ItemId(REGITEM_KEY, "Tree");
    UniquePidl keep = ItemId(REGITEM_VALUE, "Keep", 0, REG_SZ);
    UniquePidl gone = ItemId(REGITEM_VALUE, "Gone", 0, REG_SZ);
    UniquePidl deflt = ItemId(REGITEM_DEFAULT, "(default)", 0, REG_SZ);
    CShellEvents events(Folder()->GetPidl());
    {
        CModalDriver answers({Press(IDYES), Press(IDNO), Press(IDYES), Press(IDYES)});
        EXPECT_EQ(Invoke({tree.get(), keep.get(), gone.get(), deflt.get()}, "DELETE"), S_OK);
        const auto& seen = answers.Seen();
        ASSERT_EQ(seen.size(), 4u);
        EXPECT_EQ(seen[0].caption, "Corvasin");
        EXPECT_EQ(seen[0].text, "Are you sure you want to delete the key Tree and all of its content?");
        EXPECT_EQ(seen[1].text, "Are you sure you want to delete the value Keep?");
        EXPECT_EQ(seen[3].text, "Are you sure you want to delete the value (default)?");
    }
    EXPECT_EQ(Read("Keep"), (Value{REG_SZ, Text("k")}));
    EXPECT_EQ(Read("Gone").first, ~0u);
    EXPECT_EQ(Read(nullptr).first, ~0u);
    EXPECT_FALSE(KeyExists(key.get(), "Tree"));
    EXPECT_EQ(events.WaitFor(3), (std::vector<Event>{{SHCNE_RMDIR, "Tree", ""},
                                                     {SHCNE_DELETE, "Gone", ""},
                                                     {SHCNE_DELETE, "(default)", ""}}));
}

TEST_F(RegistryOperations, TheEditorForTheValuesTypeWritesWhatTheUserTyped)
{
    const auto type = [](const char* pszText, int nID = IDOK) { return TypeAndPress(IDC_VALUE_EDIT, pszText, nID); };
    // What, the value's name (null: "(default)"), its type and data before (type ~0: no such
    // value), what the user does, and the type and data after; a value that changed was written.
    const std::tuple<const char*, const char*, Value, CModalDriver::Answer, Value> rows[] = {
        {"a string", "s", {REG_SZ, Text("old")}, type("new"), {REG_SZ, Text("new")}},
        {"an expandable string keeps its type", "e", {REG_EXPAND_SZ, Text("%PATH%")}, type("%TEMP%"),
         {REG_EXPAND_SZ, Text("%TEMP%")}},
        {"a number", "d", {REG_DWORD, {1, 0, 0, 0}}, type("258"), {REG_DWORD, {2, 1, 0, 0}}},
        {"a list", "m", {REG_MULTI_SZ, {'a', 0, 'b', 0, 0}}, type("x\r\ny"), {REG_MULTI_SZ, {'x', 0, 'y', 0, 0}}},
        {"no type becomes binary", "n", {REG_NONE, {9, 8}}, Press(IDOK), {REG_BINARY, {9, 8}}},
        {"cancel writes nothing", "s", {REG_SZ, Text("old")}, type("new", IDCANCEL), {REG_SZ, Text("old")}},
        {"a missing unnamed value is made as text", nullptr, {~0u, {}}, type("made"), {REG_SZ, Text("made")}},
        {"an unnamed number is edited as a number", nullptr, {REG_DWORD, {5, 0, 0, 0}}, type("6"),
         {REG_DWORD, {6, 0, 0, 0}}},
        {"binary data too long for the editor opens nothing", "big", {REG_BINARY, Bytes(1025, 1)}, Press(IDOK),
         {REG_BINARY, Bytes(1025, 1)}},
    };
    for (const auto& [pszWhat, pszName, before, answer, after] : rows)
    {
        SCOPED_TRACE(pszWhat);
        ::RegDeleteValueA(key.get(), pszName);
        if (before.first != ~0u)
            key.SetBinary(pszName ? pszName : "", before.second, before.first);
        // The listing's type: "(default)" always reads as text.
        UniquePidl item = pszName ? ItemId(REGITEM_VALUE, pszName, 0, before.first)
                                  : ItemId(REGITEM_DEFAULT, "(default)", 0, REG_SZ);
        CShellEvents events(Folder()->GetPidl());
        CModalDriver answers({answer});
        const bool bWritten = after != before;
        EXPECT_EQ(Invoke({item.get()}, "edit"), bWritten ? S_OK : E_FAIL);
        EXPECT_EQ(Read(pszName), after);
        EXPECT_EQ(answers.Seen().size(), before.second.size() > 1024 ? 0u : 1u);
        const std::string name = pszName ? pszName : "(default)";
        if (bWritten)
        {
            EXPECT_EQ(events.WaitFor(1), (std::vector<Event>{{SHCNE_RENAMEITEM, name, name}}));
        }
    }
}

TEST_F(RegistryOperations, RenamingDefaultGivesANamedValueAndBadNamesChangeNothing)
{
    key.SetBinary("", {1, 2, 3}, REG_BINARY);
    key.SetString("Other", "o");
    UniquePidl deflt = ItemId(REGITEM_DEFAULT, "(default)", 0, REG_SZ);
    for (const wchar_t* pszBad : {L"", L"Other"})
        EXPECT_EQ(folder->SetNameOf(nullptr, deflt.get(), pszBad, SHGDN_NORMAL, nullptr), E_FAIL);
    EXPECT_EQ(Read(nullptr), (Value{REG_BINARY, {1, 2, 3}}));
    LPITEMIDLIST pidlNew = nullptr;
    ASSERT_EQ(folder->SetNameOf(nullptr, deflt.get(), L"Named", SHGDN_NORMAL, &pidlNew), S_OK);
    UniquePidl ownedNew(pidlNew);
    EXPECT_EQ(RecordOf(pidlNew).dwKind, REGITEM_VALUE);
    EXPECT_STREQ(RecordOf(pidlNew).szName, "Named");
    // The type is the registry's, not the listing's REG_SZ.
    EXPECT_EQ(Read("Named"), (Value{REG_BINARY, {1, 2, 3}}));
    EXPECT_EQ(Read(nullptr).first, ~0u);
}

// Editing a value opened through the real ShellExecuteEx is the shell tests' part.
TEST_F(RegistryOperations, TheExecuteHookLeavesKeysAndOtherVerbsToTheShell)
{
    key.SetString("s", "old");
    UniquePidl item = ItemId(REGITEM_VALUE, "s", 0, REG_SZ);
    UniquePidl full = Absolute(item.get());
    ComPtr<IShellExecuteHookW> hook;
    ASSERT_EQ(folder->QueryInterface(IID_IShellExecuteHookW, hook.put_void()), S_OK);
    SHELLEXECUTEINFOW sei = {sizeof(sei), SEE_MASK_INVOKEIDLIST};
    sei.lpIDList = full.get();
    // A cancelled editor still counts as handled; keys and other verbs are the shell's.
    {
        CModalDriver answers({Press(IDCANCEL)});
        EXPECT_EQ(hook->Execute(&sei), S_OK);
        EXPECT_EQ(answers.Seen().size(), 1u);
    }
    sei.lpVerb = L"print";
    EXPECT_EQ(hook->Execute(&sei), S_FALSE);
    UniquePidl fullKey = Absolute(target.get());
    sei.lpVerb = nullptr;
    sei.lpIDList = fullKey.get();
    EXPECT_EQ(hook->Execute(&sei), S_FALSE);
}

} // namespace
} // namespace corvasin::test
