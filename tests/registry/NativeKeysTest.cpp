// A key's full name whatever name it was opened by, the containment test the tree copy relies
// on, and deleting an open key.
#include "core/Handles.h"
#include "registry/NativeKeys.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <string>

using namespace corvasin;
using namespace corvasin::test;

namespace
{
UniqueHkey Open(HKEY hParent, const std::string& path)
{
    UniqueHkey hKey;
    ::RegOpenKeyExA(hParent, path.c_str(), 0, KEY_ALL_ACCESS, hKey.put());
    return hKey;
}

// HKEY_CURRENT_USER's name below HKEY_USERS: the user's SID.
std::string UserSid()
{
    UniqueHandle token;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put());
    BYTE buffer[256] = {};
    DWORD cb = 0;
    char* pszSid = nullptr;
    if (!::GetTokenInformation(token.get(), TokenUser, buffer, sizeof(buffer), &cb) ||
        !::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &pszSid))
        return {};
    std::string sid = pszSid;
    ::LocalFree(pszSid);
    return sid;
}
} // namespace

TEST(NativeKeys, ContainmentGoesByTheKeysNotByTheNamesTheyWereOpenedBy)
{
    ScratchKey scratch;
    scratch.CreateSubkey("S\\T");
    scratch.CreateSubkey("S2");
    const UniqueHkey s = Open(scratch.get(), "S");
    const UniqueHkey t = Open(scratch.get(), "S\\T");
    const UniqueHkey s2 = Open(scratch.get(), "S2");
    // The same key reached through HKEY_USERS.
    const UniqueHkey tByUsers = Open(HKEY_USERS, UserSid() + "\\" + scratch.path() + "\\S\\T");
    ASSERT_TRUE(s && t && s2 && tByUsers);

    std::wstring name, nameByUsers;
    ASSERT_TRUE(FullKeyName(t.get(), name));
    ASSERT_TRUE(FullKeyName(tByUsers.get(), nameByUsers));
    EXPECT_EQ(::CompareStringOrdinal(name.c_str(), -1, nameByUsers.c_str(), -1, TRUE), CSTR_EQUAL);

    struct Case
    {
        const char* pszWhat;
        HKEY hOuter, hInner;
        bool bWithin;
    } const cases[] = {
        {"a key itself", s.get(), s.get(), true},
        {"its subkey", s.get(), t.get(), true},
        {"its subkey by another name", s.get(), tByUsers.get(), true},
        {"its parent", t.get(), s.get(), false},
        {"a sibling whose name begins with its own", s.get(), s2.get(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MayBeSameOrBelowKey(c.hOuter, c.hInner), c.bWithin) << c.pszWhat;
}

TEST(NativeKeys, AnOpenKeyIsDeletedOnlyOnceItHoldsNoSubkeys)
{
    ScratchKey scratch;
    scratch.CreateSubkey("Parent\\Child");
    UniqueHkey parent = Open(scratch.get(), "Parent");
    UniqueHkey child = Open(scratch.get(), "Parent\\Child");

    EXPECT_TRUE(FAILED(DeleteOpenKey(parent.get())));
    EXPECT_EQ(DeleteOpenKey(child.get()), S_OK);
    EXPECT_EQ(DeleteOpenKey(parent.get()), S_OK);
    EXPECT_FALSE(Open(scratch.get(), "Parent"));
}
