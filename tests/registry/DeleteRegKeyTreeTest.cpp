// The tree delete in each form callers use, on real keys below the test's scratch key.
#include "registry/KeyOperations.h"
#include "registry/RegistryTree.h"
#include "install/DllUnderTest.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>

#include <string>

using namespace corvasin;
using namespace corvasin::test;

TEST(DeleteRegKeyTree, RemovesEverySiblingOfAWideKey)
{
    ScratchKey scratch;
    for (int i = 0; i < 40; ++i)
    {
        std::string path = "Wide\\Child";
        path += std::to_string(i);
        path += "\\Grandchild";
        scratch.CreateSubkey(path);
    }

    EXPECT_TRUE(DeleteRegKeyTree(scratch.get(), "Wide"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratch.path() + "\\Wide"));
}

TEST(DeleteRegKeyTree, TakesAPathOfSeveralKeysAsTheName)
{
    ScratchKey scratch;
    scratch.CreateSubkey("Outer\\Inner\\Leaf");

    EXPECT_TRUE(DeleteRegKeyTree(scratch.get(), "Outer\\Inner"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratch.path() + "\\Outer\\Inner"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch.path() + "\\Outer"));
}

// Every form callers use goes through the one walk; they differ only in what a missing key
// answers, and none of them touches anything but the key named.
TEST(DeleteRegKeyTree, EachFormKeepsItsOwnAnswerForAMissingKey)
{
    enum Form
    {
        Ansi,     // DeleteRegKeyTree: registration, placement, uninstalling
        Wide,     // DeleteRegKeyTreeW
        Command,  // DeleteKeyTree: the delete command
    };
    struct Case
    {
        const char* pszWhat;
        Form form;
        const char* pszName; // null: no name
        bool bNullParent;
        bool bResult;
    } const cases[] = {
        {"a tree, ANSI", Ansi, "Tree", false, true},
        {"a tree, wide", Wide, "Tree", false, true},
        {"a tree, command", Command, "Tree", false, true},
        {"a missing key, ANSI", Ansi, "NoSuchKey", false, true},
        {"a missing key, wide", Wide, "NoSuchKey", false, true},
        {"a missing key, command", Command, "NoSuchKey", false, false},
        {"a missing key below a missing one, ANSI", Ansi, "NoSuchKey\\Below", false, true},
        {"an empty name, ANSI", Ansi, "", false, false},
        {"an empty name, wide", Wide, "", false, false},
        {"an empty name, command", Command, "", false, false},
        {"no name, ANSI", Ansi, nullptr, false, false},
        {"no name, wide", Wide, nullptr, false, false},
        {"no name, command", Command, nullptr, false, false},
        {"no parent, ANSI", Ansi, "Tree", true, false},
        {"no parent, command", Command, "Tree", true, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszWhat);
        ScratchKey scratch;
        scratch.CreateSubkey("Tree\\Child\\Grandchild");
        scratch.CreateSubkey("Sibling");
        const HKEY hParent = c.bNullParent ? nullptr : scratch.get();
        const std::wstring wideName = c.pszName ? AnsiToWide(c.pszName) : std::wstring();
        const wchar_t* pszWide = c.pszName ? wideName.c_str() : nullptr;
        bool bResult = false;
        switch (c.form)
        {
        case Ansi:
            bResult = DeleteRegKeyTree(hParent, c.pszName) != FALSE;
            break;
        case Wide:
            bResult = DeleteRegKeyTreeW(hParent, pszWide) != FALSE;
            break;
        case Command:
            bResult = SUCCEEDED(DeleteKeyTree(hParent, pszWide));
            break;
        }
        EXPECT_EQ(bResult, c.bResult);
        const bool bTreeNamed = c.pszName && std::string(c.pszName) == "Tree" && !c.bNullParent;
        EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, scratch.path() + "\\Tree"), !bTreeNamed);
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch.path() + "\\Sibling"));
    }
}
