// DeleteRegKeyTree on real keys below the test's scratch key.
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

TEST(DeleteRegKeyTree, SucceedsOnAMissingKeyWithoutTouchingItsParent)
{
    ScratchKey scratch;
    scratch.CreateSubkey("Sibling");

    EXPECT_TRUE(DeleteRegKeyTree(scratch.get(), "NoSuchKey"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch.path() + "\\Sibling"));
}

TEST(DeleteRegKeyTree, RefusesAnEmptyOrMissingName)
{
    ScratchKey scratch;
    scratch.CreateSubkey("Kept");

    EXPECT_FALSE(DeleteRegKeyTree(scratch.get(), ""));
    EXPECT_FALSE(DeleteRegKeyTree(scratch.get(), nullptr));
    EXPECT_FALSE(DeleteRegKeyTree(nullptr, "Kept"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch.path() + "\\Kept"));
}
